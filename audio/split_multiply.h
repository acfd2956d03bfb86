#pragma once
// The 32-bit arithmetic of the sample chain. Effects and filters fix their results as 32-bit
// products and sums that wrap round; signed overflow is undefined in C++, so every wrapping
// operation goes through the helpers here, which work in unsigned arithmetic.

#include <cstdint>

namespace sonvara {

// Gains are signed 32-bit fixed-point factors with unity at 2^24.
inline constexpr std::int32_t kUnityGain = 0x1000000;

// a × b and a + b modulo 2^32.
constexpr std::int32_t WrapMul(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}
constexpr std::int32_t WrapAdd(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
constexpr std::int32_t WrapSub(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

// x × g ÷ 2^24 without a 64-bit product: the gain and the sample are split into their top bits
// and their low 12 bits, and the product of the two low parts is left out. The products wrap at
// 32 bits; shifts are arithmetic.
constexpr std::int32_t SplitMultiply(std::int32_t x, std::int32_t g) {
    const std::int32_t x_high = x >> 12;
    const std::int32_t g_high = g >> 12;
    const std::int32_t x_low = x & 0xFFF;
    const std::int32_t g_low = g & 0xFFF;
    return WrapAdd(WrapAdd(WrapMul(x_high, g_high), WrapMul(x_low, g_high) >> 12),
                   WrapMul(x_high, g_low) >> 12);
}

}  // namespace sonvara
