#include "effects/equalizer_kernel.h"

#include <algorithm>

namespace sonvara {
namespace {

// Output frames per tile: the tile's sums stay in vector registers while all 2047 tap pairs
// pass over them, so each tap costs two loads, two adds and one multiply per eight frames.
constexpr int kTile = 32;

// `width` sums from `centre` on; `Width` fixes it at compile time for the full tiles, 0 leaves it
// to `width` for the last, short tile.
template <int Width>
inline void SumTile(const std::int32_t* taps, const Sample* centre, int width,
                    std::uint32_t* sums) {
    if constexpr (Width > 0) {
        width = Width;
    }
    std::uint32_t acc[kTile];
    const auto h0 = static_cast<std::uint32_t>(taps[0]);
    for (int j = 0; j < width; ++j) {
        acc[j] = h0 * static_cast<std::uint32_t>(centre[j]);
    }
    for (int n = 1; n < kEqualizerTaps; ++n) {
        const auto h = static_cast<std::uint32_t>(taps[n]);
        const Sample* before = centre - n;
        const Sample* after = centre + n;
        for (int j = 0; j < width; ++j) {
            acc[j] +=
                h * (static_cast<std::uint32_t>(before[j]) + static_cast<std::uint32_t>(after[j]));
        }
    }
    std::copy_n(acc, width, sums);
}

}  // namespace

// Built twice, for AVX2 and for any x86-64, and chosen when the program starts.
__attribute__((target_clones("avx2", "default"))) void EqualizerSums(const std::int32_t* taps,
                                                                     const Sample* input,
                                                                     std::int32_t frames,
                                                                     std::uint32_t* sums) {
    const Sample* centre = input + kEqualizerReach;
    std::int32_t f = 0;
    for (; f + kTile <= frames; f += kTile) {
        SumTile<kTile>(taps, centre + f, kTile, sums + f);
    }
    if (f < frames) {
        SumTile<0>(taps, centre + f, frames - f, sums + f);
    }
}

}  // namespace sonvara
