// The GSM 06.10 core: the standard's encoder and decoder built from it against toast's frames
// and untoast's decodes, the two frame packings, and the saturating arithmetic.

#include "codecs/gsm/gsm_frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>

#include "codecs/gsm/gsm_arithmetic.h"
#include "tests/codecs/gsm_test_util.h"

namespace sonvara {
namespace {

using testing::GsmBytes;
using testing::GsmS16;

// The index of the first frame in which two streams differ, or -1.
int FirstDifferentFrame(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    for (std::size_t at = 0; at < std::max(a.size(), b.size()); at += gsm::kFrameBytes) {
        if (at + gsm::kFrameBytes > a.size() || at + gsm::kFrameBytes > b.size() ||
            !std::equal(a.begin() + static_cast<std::ptrdiff_t>(at),
                        a.begin() + static_cast<std::ptrdiff_t>(at + gsm::kFrameBytes),
                        b.begin() + static_cast<std::ptrdiff_t>(at))) {
            return static_cast<int>(at / gsm::kFrameBytes);
        }
    }
    return -1;
}

TEST(GsmFrame, StandardEncoderReproducesToastFramesBitForBit) {
    // Speech, and a signal that saturates every stage (full-scale square and noise, clicks,
    // silence and noise of a few steps).
    for (const std::string name : {"speech", "edge"}) {
        SCOPED_TRACE(name);
        const std::vector<std::uint8_t> ours = testing::StandardEncode(GsmS16(name + ".s16"));
        const std::vector<std::uint8_t> toast = GsmBytes(name + "_toast.gsm");
        EXPECT_EQ(ours.size(), toast.size());
        EXPECT_EQ(FirstDifferentFrame(ours, toast), -1);
    }
}

TEST(GsmFrame, StandardDecoderGivesExactlyUntoastsSamples) {
    // damaged.gsm holds random bits: lags outside 40..120, the largest block maximum, every
    // grid and gain.
    for (const std::string name : {"speech_toast", "edge_toast", "damaged", "speech_ours"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(testing::StandardDecode(GsmBytes(name + ".gsm")), GsmS16(name + ".untoast.s16"));
    }
}

gsm::FrameParameters RandomParameters(std::mt19937& rng) {
    auto bits = [&](int n) { return static_cast<std::uint8_t>(rng() & ((1U << n) - 1)); };
    gsm::FrameParameters frame;
    const int lar_bits[8] = {6, 6, 5, 5, 4, 4, 3, 3};
    for (std::size_t i = 0; i < 8; ++i) {
        frame.larc[i] = bits(lar_bits[i]);
    }
    for (gsm::SubFrameParameters& sub : frame.sub) {
        sub.nc = bits(7);
        sub.bc = bits(2);
        sub.mc = bits(2);
        sub.xmaxc = bits(6);
        for (std::uint8_t& pulse : sub.xmc) {
            pulse = bits(3);
        }
    }
    return frame;
}

TEST(GsmFrame, PackingsKeepEveryParameterInItsPlace) {
    std::mt19937 rng(260);
    for (int round = 0; round < 200; ++round) {
        const gsm::FrameParameters a = RandomParameters(rng);
        const gsm::FrameParameters b = RandomParameters(rng);
        std::uint8_t frame[gsm::kFrameBytes];
        gsm::PackFrame(a, frame);
        EXPECT_EQ(frame[0] >> 4, 0xD);
        EXPECT_EQ(gsm::UnpackFrame(frame), a);
        std::uint8_t pair[gsm::kWavPairBytes];
        gsm::PackWavPair(a, b, pair);
        gsm::FrameParameters a2;
        gsm::FrameParameters b2;
        gsm::UnpackWavPair(pair, a2, b2);
        EXPECT_EQ(a2, a);
        EXPECT_EQ(b2, b);
    }
    // Bit order: in a ".gsm" frame LARc[1] follows the signature from its top bit down; in the
    // WAV form the first parameter starts at bit 0 of byte 0, and the second frame at bit 4 of
    // byte 32 (after 260 bits).
    gsm::FrameParameters one;
    one.larc[0] = 0x21;
    std::uint8_t frame[gsm::kFrameBytes];
    gsm::PackFrame(one, frame);
    EXPECT_EQ(frame[0], 0xD8);
    EXPECT_EQ(frame[1] & 0xC0, 0x40);
    gsm::FrameParameters zero;
    for (gsm::SubFrameParameters& sub : zero.sub) {
        sub.nc = 0;
    }
    std::uint8_t pair[gsm::kWavPairBytes];
    gsm::PackWavPair(one, zero, pair);
    EXPECT_EQ(pair[0], 0x21);
    gsm::PackWavPair(zero, one, pair);
    EXPECT_EQ(pair[32], 0x10);
    EXPECT_EQ(pair[33], 0x02);
}

TEST(GsmFrame, ArithmeticSaturatesAsTheStandardDefinesIt) {
    using gsm::Word;
    auto clamp16 = [](std::int64_t v) { return std::clamp<std::int64_t>(v, -32768, 32767); };
    auto clamp32 = [](std::int64_t v) {
        return std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                        std::numeric_limits<std::int32_t>::max());
    };
    std::vector<int> values = {-32768, -32767, -16384, -1, 0, 1, 16383, 16384, 32767};
    std::mt19937 rng(610);
    for (int i = 0; i < 60; ++i) {
        values.push_back(static_cast<int>(rng() % 65536) - 32768);
    }
    for (int a : values) {
        for (int b : values) {
            const auto wa = static_cast<Word>(a);
            const auto wb = static_cast<Word>(b);
            ASSERT_EQ(gsm::Add(wa, wb), clamp16(a + b));
            ASSERT_EQ(gsm::Sub(wa, wb), clamp16(a - b));
            // Floor division by 2^15 of the exact product (and of it plus one half).
            const std::int64_t product = std::int64_t{a} * b;
            auto floor15 = [](std::int64_t v) {
                return v >= 0 ? v / 32768 : -((-v + 32767) / 32768);
            };
            ASSERT_EQ(gsm::Mult(wa, wb), clamp16(floor15(product)));
            ASSERT_EQ(gsm::MultR(wa, wb), clamp16(floor15(product + 16384)));
            ASSERT_EQ(gsm::LMult(wa, wb), clamp32(2 * product));
            const std::int64_t la = std::int64_t{a} << 16;
            const std::int64_t lb = std::int64_t{b} * 65535;
            ASSERT_EQ(gsm::LAdd(static_cast<gsm::Long>(la), static_cast<gsm::Long>(lb)),
                      clamp32(la + lb));
            if (a >= 0 && b > 0 && a <= b) {
                ASSERT_EQ(gsm::Div(wa, wb),
                          std::min<std::int64_t>(std::int64_t{a} * 32768 / b, 32767));
            }
        }
        ASSERT_EQ(gsm::Abs(static_cast<Word>(a)), clamp16(std::abs(a)));
    }
    // Norm: the shifts that bring a long just below 2^31 (or to −2^31 and above).
    for (int shift = 0; shift <= 30; ++shift) {
        const gsm::Long positive = gsm::Long{1} << shift;
        EXPECT_EQ(gsm::Norm(positive), 30 - shift);
        EXPECT_EQ(gsm::Norm(static_cast<gsm::Long>(-positive)), shift == 0 ? 31 : 31 - shift);
    }
    EXPECT_EQ(gsm::Norm(std::numeric_limits<gsm::Long>::max()), 0);
    EXPECT_EQ(gsm::Norm(std::numeric_limits<gsm::Long>::min()), 0);
}

TEST(GsmFrame, ResetForgetsBothDirectionsMemories) {
    const std::vector<std::int16_t> speech = GsmS16("speech.s16");
    const std::vector<std::uint8_t> frames = GsmBytes("speech_toast.gsm");
    LGSMFrame fresh;
    std::uint8_t first[gsm::kFrameBytes];
    std::int16_t first_decoded[gsm::kFrameSamples];
    fresh.EncodeNormal(speech.data() + 4000, first);
    fresh.DecodeNormal(frames.data() + 990, first_decoded);

    LGSMFrame used;
    std::uint8_t scratch[gsm::kFrameBytes];
    std::int16_t samples[gsm::kFrameSamples];
    for (int f = 0; f < 12; ++f) {
        used.EncodeNormal(speech.data() + 160 * f, scratch);
        used.DecodeNormal(frames.data() + 33 * f, samples);
    }
    used.EncodeNormal(speech.data() + 4000, scratch);
    EXPECT_FALSE(std::equal(scratch, scratch + 33, first));  // the memories matter
    used.Reset();
    used.EncodeNormal(speech.data() + 4000, scratch);
    used.DecodeNormal(frames.data() + 990, samples);
    EXPECT_TRUE(std::equal(scratch, scratch + 33, first));
    EXPECT_TRUE(std::equal(samples, samples + 160, first_decoded));
}

TEST(GsmFrame, ProgramDecoderStaysWithinItsDeclaredPeak) {
    // Random frames make the loudest output the bits allow; the de-emphasis alone would take a
    // long run of them to 7 times the synthesis filter's range.
    std::mt19937 rng(49);
    LGSMFrame codec;
    Sample largest = 0;
    for (int f = 0; f < 3000; ++f) {
        std::uint8_t frame[gsm::kFrameBytes];
        for (std::uint8_t& b : frame) {
            b = static_cast<std::uint8_t>(rng());
        }
        if (f % 3 == 0) {  // loud, steady frames too: the largest LARs, gains and maxima
            std::fill(frame, frame + gsm::kFrameBytes, std::uint8_t{0xFF});
        }
        Sample out[gsm::kFrameSamples];
        codec.DecodeSamples(frame, out);
        for (Sample s : out) {
            largest = std::max(largest, std::abs(s));
        }
    }
    EXPECT_LE(largest, LGSMFrame::kPeak);
    EXPECT_GT(largest, FULL_SCALE);  // no clipping at full scale
}

}  // namespace
}  // namespace sonvara
