#include "effects/envelope.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/message_loop.h"
#include "tests/document/document_fixture.h"
#include "tests/support/cancel_after_view.h"
#include "tests/support/run_process.h"
#include "tests/support/scripted_prompts.h"

namespace sonvara {
namespace {

class EnvelopeTest : public testing::DocumentTest {
  protected:
    ProcessResult Run(LProgressDialog& process, ProgressView* view = nullptr) {
        return testing::RunProcess(process, view);
    }

    // `frames` frames of a constant level on every channel.
    static LCutListAudio Level(std::int32_t frames, int channels, Sample value) {
        return FromSamples(std::vector<Sample>(static_cast<std::size_t>(frames) * channels, value),
                           channels);
    }
};

TEST_F(EnvelopeTest, FadesReachTheirTargetOnEveryChannel) {
    const Sample level = 0x40000;
    for (int channels : {1, 2}) {
        SCOPED_TRACE(channels);
        LCutListAudio document = Level(20000, channels, level);
        EfFadeIn fade(document, {1000, 18000});
        ASSERT_EQ(Run(fade), PROCESS_DONE);
        ASSERT_EQ(document.GetLength(), 20000);
        const std::vector<Sample> samples = ReadList(document);
        auto at = [&](std::size_t frame, int c) { return samples[frame * channels + c]; };
        for (int c = 0; c < channels; ++c) {
            EXPECT_EQ(at(999, c), level);  // before the selection: untouched
            EXPECT_EQ(at(1000, c), 0);     // the fade starts from silence
            // The gain climbs by whole steps towards unity and ends just short of it.
            EXPECT_GT(at(17999, c), level - level / 1000);
            EXPECT_LE(at(17999, c), level);
            EXPECT_EQ(at(18000, c), level);
            EXPECT_NEAR(at(9500, c), level / 2, level / 100);  // half way, half the level
        }
        if (channels == 2) {
            for (std::size_t f = 0; f < 20000; ++f) {
                ASSERT_EQ(at(f, 0), at(f, 1)) << f;
            }
        }
    }
}

TEST_F(EnvelopeTest, ShortSelectionsPlacePointsByTheRemainder) {
    // 100 frames: the point at x = 128 lies at 100 * 128 / 255 = 50.
    LCutListAudio document = Level(100, 1, 0x10000);
    LEfEnvelope envelope(document, {0, 100}, {{{0, 128}, {128, 0}, {255, 0}}});
    ASSERT_EQ(Run(envelope), PROCESS_DONE);
    const std::vector<Sample> samples = ReadList(document);
    EXPECT_EQ(samples[0], 0x10000);
    EXPECT_GT(samples[49], 0);
    for (std::size_t f = 50; f < 100; ++f) {
        EXPECT_EQ(samples[f], 0) << f;
    }
}

TEST_F(EnvelopeTest, APointOnTheFrameBeforeSetsTheLevelTheEndMovesTo) {
    // The point at x = 128 on the frame of the one before makes no step: from frame 50 the gain
    // climbs from 0 back towards unity by the end.
    LCutListAudio document = Level(100, 1, 0x10000);
    LEfEnvelope envelope(document, {0, 100}, {{{0, 128}, {128, 0}, {128, 128}}});
    ASSERT_EQ(Run(envelope), PROCESS_DONE);
    const std::vector<Sample> samples = ReadList(document);
    EXPECT_EQ(samples[50], 0);
    EXPECT_NEAR(samples[75], 0x8000, 0x800);
    EXPECT_GT(samples[99], 0xF000);
}

TEST_F(EnvelopeTest, RefusalsAndCancelsChangeNothing) {
    LCutListAudio document = Staircase(30000);
    const std::vector<Sample> before = ReadList(document);
    LEfEnvelope one_point(document, {0, 30000}, {{{0, 128}}});
    EXPECT_EQ(Run(one_point), PROCESS_FAILED);
    EfFadeOut reversed(document, {20, 10});
    EXPECT_EQ(Run(reversed), PROCESS_DONE);
    testing::CancelAfter cancel(2);
    EfFadeOut cancelled(document, {0, 30000});
    EXPECT_EQ(Run(cancelled, &cancel), PROCESS_STOPPED);
    EXPECT_EQ(ReadList(document), before);
    EXPECT_EQ(document.Records().Count(), 1u);
}

TEST_F(EnvelopeTest, FadeOutAndTrimEndsTheDocumentAtTheFadesEnd) {
    LCutListAudio document = Level(30000, 2, 0x40000);
    testing::CancelAfter cancel(0);
    EfFadeOutAndTrim cancelled(document, {10000, 20000});
    EXPECT_EQ(Run(cancelled, &cancel), PROCESS_STOPPED);
    EXPECT_EQ(document.GetLength(), 30000);

    EfFadeOutAndTrim fade(document, {10000, 20000});
    ASSERT_EQ(Run(fade), PROCESS_DONE);
    ASSERT_EQ(document.GetLength(), 20000);
    const std::vector<Sample> samples = ReadList(document);
    EXPECT_EQ(samples[2 * 9999], 0x40000);
    EXPECT_EQ(samples[2 * 10000], 0x40000);  // the fade starts at unity
    EXPECT_LT(samples[2 * 19999], 0x40000 / 1000);
}

}  // namespace
}  // namespace sonvara
