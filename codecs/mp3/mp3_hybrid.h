#pragma once
// The hybrid filter bank's inverse (ISO/IEC 11172-3 clauses 2.4.3.4.9 and 2.4.3.4.10): alias
// reduction between neighbouring subbands of long blocks, the IMDCT of each subband's 18 lines
// (one 36-point transform, or three 12-point ones for short blocks) with its window, overlap-add
// with the previous granule's second half, and the frequency inversion of odd subbands.

#include <array>

#include "codecs/mp3/mp3_requantize.h"
#include "codecs/mp3/mp3_side_info.h"

namespace sonvara::mp3 {

inline constexpr int kSubbands = 32;
inline constexpr int kSubbandLines = 18;

// [time slot][subband]: what the synthesis filter bank takes, 18 slots of 32 subbands.
using SubbandSamples = std::array<std::array<float, kSubbands>, kSubbandLines>;

// The second halves of the last granule's IMDCT outputs: [line][subband].
using Overlap = std::array<std::array<float, kSubbands>, kSubbandLines>;

// Alias reduction in place: all 31 subband boundaries for long blocks, the first only for
// mixed blocks, none for short blocks.
void ReduceAliases(const GranuleChannel& gc, Spectrum& spectrum);

// IMDCT, windowing, overlap-add and frequency inversion of one granule and channel.
void InverseHybrid(const GranuleChannel& gc, const Spectrum& spectrum, Overlap& overlap,
                   SubbandSamples& out);

// The 36-point IMDCT with the window of `block_type` (normal, start or stop), and the three
// 12-point ones of a short block, windowed and overlapped into 36 values; exposed for tests.
void ImdctLong(BlockType block_type, const float in[kSubbandLines], float out[36]);
void ImdctShort(const float in[kSubbandLines], float out[36]);

}  // namespace sonvara::mp3
