#pragma once
// The inner loop of the equalizer: a symmetric FIR of 2 × 2047 + 1 taps over one channel's
// contiguous samples, summed with 32-bit wrapping. Addition and multiplication modulo 2^32 are
// associative and commutative, so the order of the sums does not change a single bit of the
// result; the loop is free to run across output frames in vector lanes.

#include <cstdint>

#include "audio/sample_format.h"

namespace sonvara {

inline constexpr int kEqualizerTaps = 2048;  // h[0] and the 2047 taps on each side of it
inline constexpr int kEqualizerReach = kEqualizerTaps - 1;

// For f in [0, frames), with x = input + kEqualizerReach + f (the centre of output f):
//   sums[f] = h[0]·x[0] + Σ_{n=1..2047} h[n]·(x[−n] + x[n])   (mod 2^32).
// Reads input[0, frames + 2 × kEqualizerReach) and nothing else.
void EqualizerSums(const std::int32_t* taps, const Sample* input, std::int32_t frames,
                   std::uint32_t* sums);

}  // namespace sonvara
