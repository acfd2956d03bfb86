#pragma once
// The internal sample format every source and sink speaks.
//
// A sample is a signed 32-bit integer on the scale of 16-bit PCM times 16: full scale is
// FULL_SCALE = 0x7FFF0. A frame is one sample per channel, interleaved (left, right); one or two
// channels. Audio moves in blocks of kBlockFrames frames.
//
// The conversions back to PCM do not clamp: audio reaching a file sink has passed the peak
// limiter at FULL_SCALE first.

#include <cstdint>

namespace sonvara {

using Sample = std::int32_t;

inline constexpr Sample FULL_SCALE = 0x7FFF0;
inline constexpr std::int32_t kBlockFrames = 8192;
// The largest sample a source declares when it does not know better.
inline constexpr Sample kUnknownMaxSample = 0x200000;

// Floating-point audio's 1.0 on this scale (2^19).
inline constexpr float kSampleFloatScale = 524288.0f;
constexpr float FloatFromSample(Sample value) {
    return static_cast<float>(value) / kSampleFloatScale;
}

constexpr Sample SampleFrom16(std::int16_t value) {
    return Sample{value} * 16;
}

constexpr Sample SampleFrom8(std::uint8_t value) {
    return (Sample{value} - 128) * 4096;
}

// Rounds to the nearest 16-bit step and keeps the low 16 bits.
constexpr std::int16_t SampleTo16(Sample sample) {
    auto rounded = static_cast<std::uint32_t>(sample) + 8u;
    return static_cast<std::int16_t>(static_cast<std::int32_t>(rounded) >> 4);
}

// Rounds to the nearest 8-bit step and keeps the low 8 bits, offset to unsigned.
constexpr std::uint8_t SampleTo8(Sample sample) {
    auto rounded = static_cast<std::uint32_t>(sample) + 2048u;
    return static_cast<std::uint8_t>((static_cast<std::int32_t>(rounded) >> 12) + 128);
}

}  // namespace sonvara
