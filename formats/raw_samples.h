#pragma once
// The six sample codings of headerless files, one struct each: the bytes a sample takes, the
// largest magnitude its decoding gives (the source's declared peak), and the conversions of one
// stored sample to and from the internal scale. The file readers and writers are templates over
// these, so the per-sample work inlines into their loops.
//
// Decoding never overflows. Encoding takes any 32-bit sample: the PCM codings round to the
// nearest step and keep the low bits (16-bit) or stay at the top and bottom step (8-bit: a peak
// that rounds past +127 would otherwise wrap to a full negative click); the G.711 codings
// truncate into the step that holds the sample, as the G.711 reference encoders do, and saturate
// in the last segment.

#include <algorithm>
#include <cstdint>

#include "audio/sample_format.h"
#include "codecs/g711/g711.h"
#include "core/byte_order.h"

namespace sonvara {

namespace raw_detail {

// (x + 2^(shift-1)) >> shift with the sum wrapping as 32-bit two's complement.
constexpr std::int32_t RoundShift(Sample x, int shift) {
    const auto sum = static_cast<std::uint32_t>(x) + (std::uint32_t{1} << (shift - 1));
    return static_cast<std::int32_t>(sum) >> shift;
}

// The nearest 8-bit step of x, held in -128..127 (the sum is taken in 64 bits, so that no
// sample wraps before it is held).
constexpr std::int32_t Step8(Sample x) {
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>((std::int64_t{x} + 2048) >> 12, -128, 127));
}

// The 16-bit magnitude |x| >> 4 (at most 32767) and whether x is negative: what the G.711
// encoders code. Taking the magnitude before the shift keeps the coding symmetric.
struct Magnitude16 {
    std::int16_t magnitude;
    bool negative;
};

constexpr Magnitude16 SplitSign(Sample x) {
    const std::uint32_t magnitude =
        x < 0 ? 0u - static_cast<std::uint32_t>(x) : static_cast<std::uint32_t>(x);
    return {static_cast<std::int16_t>(std::min<std::uint32_t>(magnitude >> 4, 32767)), x < 0};
}

}  // namespace raw_detail

// "16 bit PCM (LE)": signed 16-bit little-endian, × 16.
struct RawPcm16LE {
    static constexpr int kBytes = 2;
    static constexpr Sample kPeak = FULL_SCALE;
    static Sample Decode(const std::uint8_t* b) {
        return SampleFrom16(static_cast<std::int16_t>(LoadLE16(b)));
    }
    static void Encode(Sample x, std::uint8_t* b) {
        StoreLE16(b, static_cast<std::uint16_t>(raw_detail::RoundShift(x, 4)));
    }
};

// "16 bit PCM (BE)": signed 16-bit big-endian, × 16.
struct RawPcm16BE {
    static constexpr int kBytes = 2;
    static constexpr Sample kPeak = FULL_SCALE;
    static Sample Decode(const std::uint8_t* b) {
        return SampleFrom16(static_cast<std::int16_t>(LoadBE16(b)));
    }
    static void Encode(Sample x, std::uint8_t* b) {
        StoreBE16(b, static_cast<std::uint16_t>(raw_detail::RoundShift(x, 4)));
    }
};

// "8 bit unsigned": (b - 128) × 4096.
struct RawPcm8Unsigned {
    static constexpr int kBytes = 1;
    static constexpr Sample kPeak = FULL_SCALE;
    static Sample Decode(const std::uint8_t* b) { return SampleFrom8(b[0]); }
    static void Encode(Sample x, std::uint8_t* b) {
        b[0] = static_cast<std::uint8_t>(raw_detail::Step8(x) + 128);
    }
};

// "8 bit signed": b × 4096.
struct RawPcm8Signed {
    static constexpr int kBytes = 1;
    static constexpr Sample kPeak = FULL_SCALE;
    static Sample Decode(const std::uint8_t* b) {
        return Sample{static_cast<std::int8_t>(b[0])} * 4096;
    }
    static void Encode(Sample x, std::uint8_t* b) {
        b[0] = static_cast<std::uint8_t>(raw_detail::Step8(x) & 0xFF);
    }
};

// "G711 uLaw": µ-law, whose largest code decodes to 32124 × 16.
struct RawUlaw {
    static constexpr int kBytes = 1;
    static constexpr Sample kPeak = 0x7E000;
    static Sample Decode(const std::uint8_t* b) { return SampleFrom16(g711::UlawToLinear(b[0])); }
    // The decision levels truncate, as this format's encoders always have (in segment 0 a
    // sample goes to the level below it, where G.711 rounds); the segment-5 level is the one
    // that goes with the decoder's G.711 base 65472.
    static void Encode(Sample x, std::uint8_t* b) {
        static constexpr std::int64_t kThreshold[8] = {0,     1984,  6080,   14272,
                                                       30656, 63424, 128960, 260032};
        std::int64_t magnitude = x;
        int sign = 0;
        if (magnitude < 0) {
            sign = 0x80;
            magnitude = -magnitude;
        }
        int e = 0;
        while (e < 7 && magnitude >= kThreshold[e + 1]) {
            ++e;
        }
        const auto m =
            static_cast<int>(std::min<std::int64_t>((magnitude - kThreshold[e]) >> (e + 7), 15));
        b[0] = static_cast<std::uint8_t>(~(sign | (e << 4) | m) & 0xFF);
    }
};

// "G711 aLaw": G.711 A-law, whose largest code decodes to 32256 × 16 = 0x7E000.
struct RawAlaw {
    static constexpr int kBytes = 1;
    static constexpr Sample kPeak = 0x7E000;
    static Sample Decode(const std::uint8_t* b) { return SampleFrom16(g711::AlawToLinear(b[0])); }
    static void Encode(Sample x, std::uint8_t* b) {
        const raw_detail::Magnitude16 m = raw_detail::SplitSign(x);
        // The magnitude is coded as a positive sample and the sign bit cleared for a negative
        // one, so -x gets the mirror of x's code (A-law's own negative path would code the one's
        // complement, a step lower at every step edge).
        const std::uint8_t code = g711::LinearToAlaw(m.magnitude);
        b[0] = m.negative ? static_cast<std::uint8_t>(code & 0x7F) : code;
    }
};

}  // namespace sonvara
