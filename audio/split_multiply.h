#pragma once

#include <cstdint>

namespace sonvara {

// Gains are signed 32-bit fixed-point factors with unity at 2^24.
inline constexpr std::int32_t kUnityGain = 0x1000000;

// x × g ÷ 2^24 without a 64-bit product: the gain and the sample are split into their top bits
// and their low 12 bits, and the product of the two low parts is left out. The products wrap at
// 32 bits, so they are formed in unsigned arithmetic; shifts are arithmetic.
constexpr std::int32_t SplitMultiply(std::int32_t x, std::int32_t g) {
    const std::int32_t x_high = x >> 12;
    const std::int32_t g_high = g >> 12;
    const std::int32_t x_low = x & 0xFFF;
    const std::int32_t g_low = g & 0xFFF;
    auto wrap = [](std::int32_t a, std::int32_t b) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) *
                                         static_cast<std::uint32_t>(b));
    };
    const std::uint32_t sum = static_cast<std::uint32_t>(wrap(x_high, g_high)) +
                              static_cast<std::uint32_t>(wrap(x_low, g_high) >> 12) +
                              static_cast<std::uint32_t>(wrap(x_high, g_low) >> 12);
    return static_cast<std::int32_t>(sum);
}

}  // namespace sonvara
