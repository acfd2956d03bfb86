#include "codecs/g711/g711.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/codecs/codec_test_util.h"

namespace sonvara::g711 {
namespace {

TEST(G711, KnownCodes) {
    EXPECT_EQ(UlawToLinear(0xFF), 0);
    EXPECT_EQ(UlawToLinear(0x80), 32124);
    EXPECT_EQ(UlawToLinear(0x00), -32124);
    EXPECT_EQ(UlawToLinear(0xEF), 132);    // the first code of segment 1
    EXPECT_EQ(UlawToLinear(0x8F), 16764);  // …of segment 7: 132·2^7 − 132
    EXPECT_EQ(AlawToLinear(0xD5), 8);
    EXPECT_EQ(AlawToLinear(0x55), -8);
    EXPECT_EQ(AlawToLinear(0xC5), 264);  // the first code of segment 1
    EXPECT_EQ(AlawToLinear(0xAA), 32256);
}

TEST(G711, EveryCodeSurvivesARoundTripAndTheTablesAreSymmetric) {
    for (int i = 0; i < 256; ++i) {
        const auto code = static_cast<std::uint8_t>(i);
        // 0x7F is µ-law's "negative zero", which encodes back as the positive one.
        EXPECT_EQ(LinearToUlaw(UlawToLinear(code)), code == 0x7F ? 0xFF : code) << i;
        EXPECT_EQ(LinearToAlaw(AlawToLinear(code)), code) << i;
        EXPECT_EQ(UlawToLinear(code), -UlawToLinear(code ^ 0x80)) << i;
        EXPECT_EQ(AlawToLinear(code), -AlawToLinear(code ^ 0x80)) << i;
    }
}

// Truncation puts every sample in the step that contains it, and a code decodes to the middle of
// its step: so the decoded value never decreases and is less than half a step away.
TEST(G711, EncodersTruncateIntoTheContainingStep) {
    int last_ulaw = -32768, last_alaw = -32768;
    for (int x = -32768; x <= 32767; ++x) {
        const auto sample = static_cast<std::int16_t>(x);
        const int ulaw = UlawToLinear(LinearToUlaw(sample));
        const int alaw = AlawToLinear(LinearToAlaw(sample));
        ASSERT_GE(ulaw, last_ulaw) << x;
        ASSERT_GE(alaw, last_alaw) << x;
        last_ulaw = ulaw;
        last_alaw = alaw;
        // µ-law steps are 8·2^segment; magnitudes beyond 32635 clip.
        const int magnitude = std::min(std::abs(x), 32635);
        const int ulaw_half = 4 << ((LinearToUlaw(sample) ^ 0xFF) >> 4 & 7);
        ASSERT_TRUE(std::abs(ulaw) - ulaw_half <= magnitude &&
                    magnitude < std::abs(ulaw) + ulaw_half)
            << x;
        // A-law steps are 16 in segments 0 and 1, then double; negative samples count from −1.
        const int alaw_magnitude = x < 0 ? -x - 1 : x;
        const int segment = (LinearToAlaw(sample) ^ 0x55) >> 4 & 7;
        const int alaw_half = segment < 2 ? 8 : 4 << segment;
        ASSERT_TRUE(std::abs(alaw) - alaw_half <= alaw_magnitude &&
                    alaw_magnitude < std::abs(alaw) + alaw_half)
            << x;
    }
}

// Both peers' decodes of their own files and of files holding all 256 codes.
TEST(G711, DecodesLikeThePeers) {
    for (const std::string base :
         {"ulaw_codes_ffmpeg", "alaw_codes_ffmpeg", "ulaw_mono_sox", "alaw_mono_sox",
          "ulaw_stereo_sox", "ulaw_mono_ffmpeg", "alaw_mono_ffmpeg", "alaw_stereo_ffmpeg"}) {
        const testing::WavChunks wav = testing::ReadWav(base + ".wav");
        ASSERT_TRUE(wav.Tag() == 6 || wav.Tag() == 7) << base;
        std::vector<std::int16_t> ours;
        for (std::uint8_t code : wav.data) {
            ours.push_back(wav.Tag() == 7 ? UlawToLinear(code) : AlawToLinear(code));
        }
        EXPECT_EQ(ours, testing::ReadS16(base + ".sox.s16")) << base;
        EXPECT_EQ(ours, testing::ReadS16(base + ".ffmpeg.s16")) << base;
    }
}

}  // namespace
}  // namespace sonvara::g711
