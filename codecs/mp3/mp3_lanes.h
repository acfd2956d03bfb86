#pragma once
// Four or eight floats side by side (GCC/Clang vector types: SSE on x86-64, AVX where a function
// is built for it, pairs of SSE operations otherwise). Every operation acts on each lane alone
// with the rounding of the same operation on one float, so independent transforms can run at
// once and give the bits each gives alone.

#include <cstddef>

namespace sonvara::mp3 {

using Lanes = float __attribute__((vector_size(16)));
inline constexpr std::size_t kLanes = 4;

// Transposes four rows of four: row[i][j] and row[j][i] trade places.
inline void Transpose(Lanes& a, Lanes& b, Lanes& c, Lanes& d) {
    const Lanes ab_low = __builtin_shufflevector(a, b, 0, 4, 1, 5);
    const Lanes ab_high = __builtin_shufflevector(a, b, 2, 6, 3, 7);
    const Lanes cd_low = __builtin_shufflevector(c, d, 0, 4, 1, 5);
    const Lanes cd_high = __builtin_shufflevector(c, d, 2, 6, 3, 7);
    a = __builtin_shufflevector(ab_low, cd_low, 0, 1, 4, 5);
    b = __builtin_shufflevector(ab_low, cd_low, 2, 3, 6, 7);
    c = __builtin_shufflevector(ab_high, cd_high, 0, 1, 4, 5);
    d = __builtin_shufflevector(ab_high, cd_high, 2, 3, 6, 7);
}

using Lanes8 = float __attribute__((vector_size(32)));
inline constexpr std::size_t kLanes8 = 8;

// Transposes the eight rows of eight from `rows` on in place.
inline void Transpose(Lanes8* rows) {
    Lanes8 pairs[8];
    for (std::size_t r = 0; r < 8; r += 2) {
        pairs[r] = __builtin_shufflevector(rows[r], rows[r + 1], 0, 8, 1, 9, 4, 12, 5, 13);
        pairs[r + 1] = __builtin_shufflevector(rows[r], rows[r + 1], 2, 10, 3, 11, 6, 14, 7, 15);
    }
    Lanes8 quads[8];
    for (std::size_t r = 0; r < 8; r += 4) {
        for (std::size_t h = 0; h < 2; ++h) {
            quads[r + 2 * h] =
                __builtin_shufflevector(pairs[r + h], pairs[r + 2 + h], 0, 1, 8, 9, 4, 5, 12, 13);
            quads[r + 2 * h + 1] =
                __builtin_shufflevector(pairs[r + h], pairs[r + 2 + h], 2, 3, 10, 11, 6, 7, 14, 15);
        }
    }
    for (std::size_t c = 0; c < 4; ++c) {
        rows[c] = __builtin_shufflevector(quads[c], quads[4 + c], 0, 1, 2, 3, 8, 9, 10, 11);
        rows[4 + c] = __builtin_shufflevector(quads[c], quads[4 + c], 4, 5, 6, 7, 12, 13, 14, 15);
    }
}

}  // namespace sonvara::mp3
