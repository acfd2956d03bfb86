#pragma once
// Four floats side by side (a GCC/Clang vector type, SSE on x86-64). Every operation acts on each
// lane alone with the rounding of the same operation on one float, so four independent
// transforms can run at once and give the bits each gives alone.

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

}  // namespace sonvara::mp3
