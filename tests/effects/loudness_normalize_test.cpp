#include "effects/loudness_normalize.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "audio/memory_stream.h"
#include "document/cut_list_reader.h"
#include "effects/registry/effect_registry.h"
#include "tests/document/document_fixture.h"
#include "tests/support/run_process.h"
#include "tests/support/scripted_prompts.h"

namespace sonvara {
namespace {

constexpr std::int32_t kLoudnessRate = 44100;

class LoudnessNormalizeTest : public testing::DocumentTest {
  protected:
    // `seconds` of a 1 kHz sine at `dbfs` on both channels, as a document.
    LCutListAudio Sine(double seconds, double dbfs) {
        const double amplitude = std::pow(10.0, dbfs / 20.0) * kSampleFloatScale;
        std::vector<Sample> samples;
        for (int i = 0; i < static_cast<int>(seconds * kLoudnessRate); ++i) {
            const auto value = static_cast<Sample>(
                std::lround(amplitude * std::sin(2 * M_PI * 1000.0 * i / kLoudnessRate)));
            samples.insert(samples.end(), {value, value});
        }
        return FromSamples(samples, 2, kLoudnessRate);
    }

    static LoudnessReport Measure(const LCutListAudio& document, FrameRange range) {
        LPRMeasureLoudness measure(LSoundSourceRef(new LSRCCutListAudio(document)), range.start,
                                   range.end);
        EXPECT_EQ(testing::RunProcess(measure), PROCESS_DONE);
        return measure.Report();
    }
};

TEST_F(LoudnessNormalizeTest, TheGainReachesTheTargetOrStopsAtTheCeiling) {
    const LoudnessNormalizeParameters podcast{-16, -1};
    LoudnessReport measured{-30.0, 0, 0, 0, -28.0, -27.5};
    EXPECT_EQ(GainForLoudness(measured, podcast).decibels, 14.0);
    EXPECT_FALSE(GainForLoudness(measured, podcast).ceiling_bound);
    measured.true_peak = -10.0;  // +14 dB would put it at +4 dBTP
    const LoudnessGain bound = GainForLoudness(measured, podcast);
    EXPECT_EQ(bound.decibels, 9.0);
    EXPECT_TRUE(bound.ceiling_bound);
    // Louder than the target: the gain is a cut, which no ceiling limits.
    measured = {-8.0, 0, 0, 0, -0.5, 0.3};
    EXPECT_EQ(GainForLoudness(measured, podcast).decibels, -8.0);
    measured.integrated = -HUGE_VAL;  // silence: nothing to reach
    EXPECT_EQ(GainForLoudness(measured, podcast).decibels, 0.0);
}

TEST_F(LoudnessNormalizeTest, ASelectionMeasuresAtTheTargetAfterwardsAndTheRestIsUntouched) {
    LCutListAudio document = Sine(12, -30);
    const std::vector<Sample> before = ReadList(document);
    const FrameRange selection{2 * kLoudnessRate, 10 * kLoudnessRate};
    EfNormalizeLoudness normalize(document, selection, {-16, -1});
    ASSERT_EQ(testing::RunProcess(normalize), PROCESS_DONE);
    EXPECT_FALSE(normalize.Applied().ceiling_bound);
    EXPECT_NEAR(Measure(document, selection).integrated, -16.0, 0.1);
    const std::vector<Sample> after = ReadList(document);
    EXPECT_TRUE(std::equal(after.begin(), after.begin() + 2 * selection.start, before.begin()));
    EXPECT_TRUE(std::equal(after.begin() + 2 * selection.end, after.end(),
                           before.begin() + 2 * selection.end));

    // A ceiling that binds: a sine's true peak is its loudness, so -5 LUFS with -6 dBTP stops
    // at -6, and the user is told.
    LCutListAudio loud = Sine(6, -12);
    const FrameRange all{0, loud.GetLength()};
    EfNormalizeLoudness bound(loud, all, {-5, -6});
    testing::ScriptedPrompts prompts;
    ASSERT_EQ(testing::RunProcess(bound, nullptr, &prompts), PROCESS_DONE);
    EXPECT_TRUE(bound.Applied().ceiling_bound);
    const LoudnessReport reached = Measure(loud, all);
    EXPECT_NEAR(reached.true_peak, -6.0, 0.1);
    EXPECT_NEAR(reached.integrated, -6.0, 0.1);
    ASSERT_EQ(prompts.Asked().size(), 1u);
    EXPECT_NE(prompts.Asked()[0].text.find("-6 dBTP"), std::string::npos);

    // Silence is left alone.
    LCutListAudio silence =
        FromSamples(std::vector<Sample>(2 * kLoudnessRate, 0), 2, kLoudnessRate);
    EfNormalizeLoudness quiet(silence, {0, kLoudnessRate}, {-16, -1});
    ASSERT_EQ(testing::RunProcess(quiet), PROCESS_DONE);
    EXPECT_EQ(quiet.Applied().decibels, 0.0);
}

// The dialog's preview measures the part once, through the runner the editor gives it (its
// progress dialog); a measurement the user cancels gives no preview, and the next asks again.
TEST_F(LoudnessNormalizeTest, ThePreviewMeasuresThroughTheRunnerOnceAndNotAfterACancel) {
    const LCutListAudio document = Sine(2, -30);
    int runs = 0;
    bool cancel = true;
    const EffectPlace place(document, {0, document.GetLength()}, [&](LProgressDialog& measure) {
        ++runs;
        return cancel ? PROCESS_STOPPED : testing::RunProcess(measure);
    });
    const EffectEntry& effect = *Effects().Find("loudness");
    EffectValues values;
    values.numbers = {-16, -1};
    EXPECT_FALSE(effect.preview(values, place));
    cancel = false;
    ASSERT_TRUE(effect.preview(values, place));
    ASSERT_NE(place.Loudness(), nullptr);
    EXPECT_NEAR(place.Loudness()->integrated, -30.0, 0.1);
    values.numbers = {-23, -1};
    EXPECT_TRUE(effect.preview(values, place));
    EXPECT_EQ(runs, 2);
}

}  // namespace
}  // namespace sonvara
