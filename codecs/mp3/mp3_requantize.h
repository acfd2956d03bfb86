#pragma once
// Requantization (ISO/IEC 11172-3 clause 2.4.3.4.7): from the Huffman-decoded integers to
// spectral values, |x|^(4/3) scaled by the global gain, the subblock gains and the scale
// factors; then the reordering of short blocks from band-by-band order (each band's three
// windows one after another) to window order within each subband, as the IMDCT takes them.

#include <array>

#include "codecs/mp3/mp3_header.h"
#include "codecs/mp3/mp3_huffman.h"
#include "codecs/mp3/mp3_scale_factors.h"
#include "codecs/mp3/mp3_side_info.h"
#include "codecs/mp3/mp3_tables.h"

namespace sonvara::mp3 {

using Spectrum = std::array<float, kGranuleLines>;

// The largest magnitude the Huffman data can give: 15 plus 13 linbits.
inline constexpr int kMaxQuantized = 15 + (1 << 13) - 1;

// Where a mixed block's long part ends: 8 long bands in MPEG-1, 6 in the lower sampling
// frequencies (36 lines except at 8 kHz).
int MixedLongEnd(const FrameHeader& header, const ScaleFactorBands& bands);

// Lines from `nonzero_end` on are known to be zero (the Huffman decoder says where they start)
// and are not looked at.
void Requantize(const QuantizedSpectrum& in, const FrameHeader& header, const GranuleChannel& gc,
                const ScaleFactors& sf, const ScaleFactorBands& bands, Spectrum& out,
                int nonzero_end = kGranuleLines);

// Reorders the short-block part of a granule (everything, or from short band 3 in a mixed
// block) so that line 18 * subband + 3 * k + window holds value k of that window.
void ReorderShortBlocks(const FrameHeader& header, const GranuleChannel& gc,
                        const ScaleFactorBands& bands, Spectrum& spectrum);

}  // namespace sonvara::mp3
