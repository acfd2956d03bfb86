#pragma once
// Four floats side by side (a GCC/Clang vector type, SSE on x86-64). Every operation acts on each
// lane alone with the rounding of the same operation on one float, so four independent
// transforms can run at once and give the bits each gives alone.

#include <cstddef>

namespace sonvara::mp3 {

using Lanes = float __attribute__((vector_size(16)));
inline constexpr std::size_t kLanes = 4;

}  // namespace sonvara::mp3
