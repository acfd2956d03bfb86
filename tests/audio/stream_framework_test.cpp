#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "audio/sample_format.h"
#include "audio/sound_sink.h"
#include "audio/sound_source.h"
#include "audio/split_multiply.h"
#include "tests/audio/signals.h"

namespace sonvara {
namespace {

// A source that tells when it is destroyed.
class WatchedSource : public LSoundSourceBase {
  public:
    WatchedSource(std::int32_t rate, int channels, bool* destroyed)
        : LSoundSourceBase(rate, channels, FULL_SCALE), destroyed_(destroyed) {}
    ~WatchedSource() override { *destroyed_ = true; }
    void Read(Sample*, std::int32_t) override {}
    std::int32_t GetPosition() const override { return 0; }
    std::int32_t GetLength() const override { return 0; }

  private:
    bool* destroyed_;
};

TEST(SoundSource, BadRateOrChannelsMakeAnErrorSourceOf44100HzMono) {
    bool destroyed = false;
    for (auto [rate, channels] : {std::pair{0, 2}, std::pair{-5, 2}, std::pair{8000, 0}}) {
        LSoundSourceRef source = new WatchedSource(rate, channels, &destroyed);
        EXPECT_TRUE(source->IsError());
        EXPECT_EQ(source->GetSampleRate(), rate < 1 ? 44100 : rate);
        EXPECT_EQ(source->GetChannels(), channels == 0 ? 1 : channels);
    }
    LSoundSourceRef good = new WatchedSource(8000, 2, &destroyed);
    EXPECT_FALSE(good->IsError());
}

TEST(SoundSource, AnUnsetReferenceHoldsTheEmptySourceInError) {
    LSoundSourceRef source;
    EXPECT_TRUE(source->IsError());
    EXPECT_EQ(source->GetSampleRate(), 11025);
    EXPECT_EQ(source->GetChannels(), 1);
    EXPECT_EQ(source->GetMaxSample(), 0x200000);
    EXPECT_EQ(source->GetLength(), 0);
    std::vector<Sample> block(100, 7);
    source->Read(block.data(), 100);
    EXPECT_EQ(block, std::vector<Sample>(100, 0));
    EXPECT_EQ(source->GetPosition(), 0);
}

TEST(SoundSource, TheLastReferenceDestroysTheObjectAndSelfAssignmentKeepsIt) {
    bool destroyed = false;
    {
        LSoundSourceRef first = new WatchedSource(44100, 1, &destroyed);
        LSoundSourceRef second = first;
        EXPECT_EQ(first->ReferenceCount(), 2u);
        first = second;
        // Through a reference, so that the compiler does not refuse the self-assignment.
        const LSoundSourceRef& same = second;
        second = same;
        EXPECT_FALSE(destroyed);
        first = LSoundSourceRef();
        EXPECT_FALSE(destroyed);
        EXPECT_EQ(second->ReferenceCount(), 1u);
    }
    EXPECT_TRUE(destroyed);
}

TEST(SampleFormat, SixteenAndEightBitValuesRoundTripExactly) {
    EXPECT_EQ(SampleFrom16(-32768), -524288);
    EXPECT_EQ(SampleFrom8(0), -524288);
    EXPECT_EQ(SampleFrom8(255), 127 * 4096);
    for (int v = -32768; v <= 32767; ++v) {
        ASSERT_EQ(SampleTo16(SampleFrom16(static_cast<std::int16_t>(v))), v);
    }
    for (int u = 0; u <= 255; ++u) {
        ASSERT_EQ(SampleTo8(SampleFrom8(static_cast<std::uint8_t>(u))), u);
    }
    // Writing rounds to the nearest step: 8 and more of 16 go up, 7 stays down.
    EXPECT_EQ(SampleTo16(100 * 16 + 7), 100);
    EXPECT_EQ(SampleTo16(100 * 16 + 8), 101);
    EXPECT_EQ(SampleTo16(-100 * 16 - 9), -101);
    EXPECT_EQ(SampleTo8(-2049), 127);  // (-2049 + 2048) >> 12 = -1, + 128
}

TEST(SplitMultiply, ApproximatesTheFullProductAndWrapsWithoutUndefinedBehaviour) {
    EXPECT_EQ(SplitMultiply(FULL_SCALE, kUnityGain), FULL_SCALE);
    EXPECT_EQ(SplitMultiply(-FULL_SCALE, kUnityGain), -FULL_SCALE);
    for (Sample x : {1, -1, 4095, -4096, 123456, -524288, 0x200000, -0x3FFFFF}) {
        for (std::int32_t g : {kUnityGain, kUnityGain / 2, kUnityGain / 3, 3 * kUnityGain,
                               -kUnityGain / 7, 0x1234567}) {
            std::int64_t exact = std::int64_t{x} * g >> 24;
            EXPECT_NEAR(SplitMultiply(x, g), exact, 2) << x << " × " << g;
        }
    }
    // Products that do not fit 32 bits wrap as 32-bit machine arithmetic does. The model forms
    // each part exactly in 64 bits and keeps the low 32 bits (run under the sanitizer, the helper
    // itself must not overflow a signed type).
    auto low32 = [](std::int64_t v) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    };
    for (std::int32_t x : {INT32_MAX, INT32_MIN, 0x40000000, -0x12345678}) {
        for (std::int32_t g : {INT32_MAX, INT32_MIN, 0x7FFFFFF, -0x5555555}) {
            std::int64_t high = std::int64_t{x >> 12} * (g >> 12);
            std::int64_t mid1 = low32(std::int64_t{x & 0xFFF} * (g >> 12)) >> 12;
            std::int64_t mid2 = low32(std::int64_t{x >> 12} * (g & 0xFFF)) >> 12;
            EXPECT_EQ(SplitMultiply(x, g), low32(low32(high) + mid1 + mid2)) << x << " × " << g;
        }
    }
}

}  // namespace
}  // namespace sonvara
