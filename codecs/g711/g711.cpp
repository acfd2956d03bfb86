#include "codecs/g711/g711.h"

#include <algorithm>
#include <array>

namespace sonvara::g711 {
namespace {

// µ-law magnitudes are (mantissa·8 + 132)·2^segment − 132: the bias of 132 makes the segments line
// up on powers of two, and the −132 takes it back out so that code 0 of segment 0 is zero.
constexpr int kUlawBias = 132;
constexpr int kUlawClip = 32635;  // the largest magnitude that still fits after adding the bias

constexpr std::int16_t DecodeUlaw(std::uint8_t code) {
    const int bits = ~code & 0xFF;
    const int segment = (bits >> 4) & 0x07;
    const int mantissa = bits & 0x0F;
    const int magnitude = (((mantissa << 3) + kUlawBias) << segment) - kUlawBias;
    return static_cast<std::int16_t>((bits & 0x80) != 0 ? -magnitude : magnitude);
}

// A-law: segment 0 covers 0..255 in steps of 16 and segment s ≥ 1 covers 2^(s+7)..2^(s+8) in steps
// of 2^(s+3); a code decodes to the middle of its step.
constexpr std::int16_t DecodeAlaw(std::uint8_t code) {
    const int bits = code ^ 0x55;
    const int segment = (bits >> 4) & 0x07;
    const int mantissa = bits & 0x0F;
    int magnitude = (mantissa << 4) + 8;
    if (segment > 0) {
        magnitude = (magnitude + 0x100) << (segment - 1);
    }
    return static_cast<std::int16_t>((bits & 0x80) != 0 ? magnitude : -magnitude);
}

template <std::int16_t (*Decode)(std::uint8_t)>
constexpr std::array<std::int16_t, 256> MakeTable() {
    std::array<std::int16_t, 256> table{};
    for (int code = 0; code < 256; ++code) {
        table[static_cast<std::size_t>(code)] = Decode(static_cast<std::uint8_t>(code));
    }
    return table;
}

constexpr std::array<std::int16_t, 256> kUlawTable = MakeTable<DecodeUlaw>();
constexpr std::array<std::int16_t, 256> kAlawTable = MakeTable<DecodeAlaw>();

static_assert(kUlawTable[0xFF] == 0 && kUlawTable[0x7F] == 0);
static_assert(kUlawTable[0x80] == 32124 && kUlawTable[0x00] == -32124);
static_assert(kAlawTable[0xD5] == 8 && kAlawTable[0x55] == -8);
static_assert(kAlawTable[0xAA] == 32256 && kAlawTable[0x2A] == -32256);

// Position of the highest set bit of a value in 1..0x7FFF.
constexpr int HighestBit(int value) {
    int bit = 0;
    while ((value >> (bit + 1)) != 0) {
        ++bit;
    }
    return bit;
}

}  // namespace

std::int16_t UlawToLinear(std::uint8_t code) {
    return kUlawTable[code];
}

std::int16_t AlawToLinear(std::uint8_t code) {
    return kAlawTable[code];
}

std::uint8_t LinearToUlaw(std::int16_t sample) {
    const int value = sample;
    const int sign = value < 0 ? 0x80 : 0x00;
    int magnitude = value < 0 ? -value : value;
    if (magnitude > kUlawClip) {
        magnitude = kUlawClip;
    }
    magnitude += kUlawBias;  // 132..32767: the highest bit is 7..14
    const int segment = HighestBit(magnitude) - 7;
    const int mantissa = (magnitude >> (segment + 3)) & 0x0F;
    return static_cast<std::uint8_t>(~(sign | (segment << 4) | mantissa) & 0xFF);
}

std::uint8_t LinearToAlaw(std::int16_t sample) {
    const int value = sample;
    // Negative samples use the one's complement, so −1..−8 share a code with 0..7 mirrored.
    const int sign = value < 0 ? 0x00 : 0x80;
    const int magnitude = value < 0 ? ~value : value;  // 0..32767
    int segment = 0;
    int mantissa = (magnitude >> 4) & 0x0F;
    if (magnitude >= 0x100) {
        segment = HighestBit(magnitude) - 7;  // 1..7
        mantissa = (magnitude >> (segment + 3)) & 0x0F;
    }
    return static_cast<std::uint8_t>((sign | (segment << 4) | mantissa) ^ 0x55);
}

std::uint8_t RoundedLinearToUlaw(std::int16_t sample) {
    // The 14-bit code, then its magnitude with the 14-bit bias of 33: segment s holds biased
    // magnitudes 2^(s+5)..2^(s+6) − 1 in steps of 2^(s+1). 8158 is the last magnitude below
    // the top decision level (8159).
    const int code = std::min((sample + 2) >> 2, 8191);
    const int sign = code < 0 ? 0x80 : 0x00;
    const int biased = std::min(code < 0 ? -code : code, 8158) + kUlawBias / 4;
    const int segment = HighestBit(biased) - 5;
    const int mantissa = (biased >> (segment + 1)) & 0x0F;
    return static_cast<std::uint8_t>(~(sign | (segment << 4) | mantissa) & 0xFF);
}

std::uint8_t RoundedLinearToAlaw(std::int16_t sample) {
    // The 13-bit code; A-law has no zero level, so code v stands for [v, v + 1) and a negative
    // one's magnitude is its one's complement. Segments 0 and 1 step by 2 up to 63; segment
    // s ≥ 1 holds 2^(s+4)..2^(s+5) − 1 in steps of 2^s.
    const int code = std::min((sample + 4) >> 3, 4095);
    const int sign = code < 0 ? 0x00 : 0x80;
    const int magnitude = code < 0 ? ~code : code;  // 0..4095
    int segment = 0;
    int mantissa = magnitude >> 1;
    if (magnitude >= 32) {
        segment = HighestBit(magnitude) - 4;
        mantissa = (magnitude >> segment) & 0x0F;
    }
    return static_cast<std::uint8_t>((sign | (segment << 4) | mantissa) ^ 0x55);
}

}  // namespace sonvara::g711
