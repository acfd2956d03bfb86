#pragma once
// Eight floats side by side (a GCC/Clang vector type: one AVX register where a function is built
// for it, two SSE ones otherwise). Every operation acts on each lane alone with the rounding of
// the same operation on one float, so eight independent transforms can run at once and give the
// bits each gives alone.

#include <cstddef>

namespace sonvara::mp3 {

using Lanes = float __attribute__((vector_size(32)));
inline constexpr std::size_t kLanes = 8;

// Transposes the eight rows of eight from `rows` on in place.
inline void Transpose(Lanes* rows) {
    Lanes pairs[8];
    for (std::size_t r = 0; r < 8; r += 2) {
        pairs[r] = __builtin_shufflevector(rows[r], rows[r + 1], 0, 8, 1, 9, 4, 12, 5, 13);
        pairs[r + 1] = __builtin_shufflevector(rows[r], rows[r + 1], 2, 10, 3, 11, 6, 14, 7, 15);
    }
    Lanes quads[8];
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
