#pragma once
// The fixed-point operations GSM 06.10 is written in: 16-bit words and 32-bit longs whose sums
// and products saturate instead of wrapping. Each is written so that no C++ operation overflows,
// and each gives exactly the result the standard's operation of the same name gives.

#include <algorithm>
#include <bit>
#include <cstdint>

namespace sonvara::gsm {

using Word = std::int16_t;
using Long = std::int32_t;

inline constexpr Word kWordMin = -32768;
inline constexpr Word kWordMax = 32767;

constexpr Word Saturate(std::int32_t value) {
    return static_cast<Word>(std::clamp<std::int32_t>(value, kWordMin, kWordMax));
}

constexpr Long SaturateLong(std::int64_t value) {
    return static_cast<Long>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

constexpr Word Add(Word a, Word b) {
    return Saturate(std::int32_t{a} + b);
}
constexpr Word Sub(Word a, Word b) {
    return Saturate(std::int32_t{a} - b);
}

// a·b / 2^15, truncated; −1 · −1 gives the largest word.
constexpr Word Mult(Word a, Word b) {
    return Saturate((std::int32_t{a} * b) >> 15);
}

// a·b / 2^15, rounded.
constexpr Word MultR(Word a, Word b) {
    return Saturate((std::int32_t{a} * b + 16384) >> 15);
}

constexpr Word Abs(Word a) {
    return a == kWordMin ? kWordMax : static_cast<Word>(a < 0 ? -a : a);
}

constexpr Long LAdd(Long a, Long b) {
    return SaturateLong(std::int64_t{a} + b);
}

// 2·a·b.
constexpr Long LMult(Word a, Word b) {
    return SaturateLong(2 * (std::int64_t{a} * b));
}

// The left shifts that bring a long into [2^30, 2^31) (or [−2^31, −2^30) when negative); 0 for
// 0.
constexpr int Norm(Long a) {
    if (a == 0) {
        return 0;
    }
    const auto bits = static_cast<std::uint32_t>(a < 0 ? ~a : a);
    return bits == 0 ? 31 : std::countl_zero(bits) - 1;
}

// num / denom as a fraction of 2^15 (0 ≤ num ≤ denom, denom > 0), by 15 steps of restoring
// division; num == denom gives 32767.
constexpr Word Div(Word num, Word denom) {
    std::int32_t remainder = num;
    std::int32_t quotient = 0;
    for (int k = 0; k < 15; ++k) {
        quotient <<= 1;
        remainder <<= 1;
        if (remainder >= denom) {
            remainder -= denom;
            quotient += 1;
        }
    }
    return static_cast<Word>(quotient);
}

}  // namespace sonvara::gsm
