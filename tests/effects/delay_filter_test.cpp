// Echo, reverb and the low-cut filter, on documents through their processes and on the sources.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "core/settings.h"
#include "effects/echo.h"
#include "effects/effect_parameters.h"
#include "effects/high_pass.h"
#include "effects/mix_paste.h"
#include "tests/document/document_fixture.h"
#include "tests/support/cancel_after_view.h"
#include "tests/support/run_process.h"

namespace sonvara {
namespace {

constexpr Sample kImpulse = 0x10000;

class DelayFilterTest : public testing::DocumentTest {
  protected:
    // `frames` frames of silence at 8000 Hz with kImpulse at `at` on every channel.
    static LCutListAudio Impulse(std::int32_t frames, int channels, std::int32_t at) {
        std::vector<Sample> samples(static_cast<std::size_t>(frames) * channels, 0);
        for (int c = 0; c < channels; ++c) {
            samples[static_cast<std::size_t>(at) * channels + c] = kImpulse;
        }
        return FromSamples(samples, channels);
    }

    // A sine of `frequency` Hz at 44100 Hz on every channel, amplitude 0x40000.
    static std::vector<Sample> Sine(double frequency, std::int32_t frames, int channels) {
        std::vector<Sample> samples;
        for (std::int32_t f = 0; f < frames; ++f) {
            const double value = 0x40000 * std::sin(2 * std::numbers::pi * frequency * f / 44100);
            samples.insert(samples.end(), static_cast<std::size_t>(channels),
                           static_cast<Sample>(value));
        }
        return samples;
    }

    static double Rms(const std::vector<Sample>& samples, std::size_t from, int channel,
                      int channels) {
        double sum = 0;
        std::size_t count = 0;
        for (std::size_t i = from * channels + channel; i < samples.size(); i += channels) {
            sum += static_cast<double>(samples[i]) * samples[i];
            ++count;
        }
        return std::sqrt(sum / static_cast<double>(count));
    }
};

// The delay line holds whole frames of interleaved samples and at least 128 samples: 10 ms at
// 8000 Hz (80 frames) is raised to 128 frames in mono, and is 160 samples, 80 frames, in stereo.
TEST_F(DelayFilterTest, EchoRepeatsAfterTheTimeWithTheGain) {
    struct Case {
        int channels;
        std::int32_t time_ms;
        std::size_t period;  // frames
    };
    for (const Case& test :
         {Case{1, 100, 800}, Case{2, 100, 800}, Case{1, 10, 128}, Case{2, 10, 80}}) {
        SCOPED_TRACE(::testing::Message() << test.channels << " ch, " << test.time_ms << " ms");
        // The impulse sits at the selection's start.
        LCutListAudio document = Impulse(6000, test.channels, 1000);
        EfEcho echo(document, {1000, 5000}, {.time_ms = test.time_ms, .gain_percent = 50});
        ASSERT_EQ(testing::RunProcess(echo), PROCESS_DONE);
        ASSERT_EQ(document.GetLength(), 6000);
        const std::vector<Sample> out = ReadList(document);
        for (std::size_t f = 0; f < 6000; ++f) {
            Sample expected = 0;
            const std::size_t repeat = (f - 1000) / test.period;
            if (f >= 1000 && f < 5000 && (f - 1000) % test.period == 0 && repeat < 17) {
                expected = kImpulse >> repeat;  // half as loud every repeat, down to nothing
            }
            for (int c = 0; c < test.channels; ++c) {
                ASSERT_EQ(out[f * test.channels + c], expected) << f;
            }
        }
    }
}

TEST_F(DelayFilterTest, EchoGainsOfZeroAndBelow) {
    LCutListAudio unchanged = Impulse(3000, 1, 0);
    EfEcho silent_echo(unchanged, {0, 3000}, {.time_ms = 100, .gain_percent = 0});
    ASSERT_EQ(testing::RunProcess(silent_echo), PROCESS_DONE);
    EXPECT_EQ(ReadList(unchanged), ReadList(Impulse(3000, 1, 0)));

    // A negative gain (the checks set no lower bound) inverts each repeat.
    LCutListAudio inverted = Impulse(3000, 1, 0);
    EfEcho negative(inverted, {0, 3000}, {.time_ms = 100, .gain_percent = -50});
    ASSERT_EQ(testing::RunProcess(negative), PROCESS_DONE);
    const std::vector<Sample> out = ReadList(inverted);
    EXPECT_EQ(out[800], -kImpulse / 2);
    EXPECT_EQ(out[1600], kImpulse / 4);
}

TEST_F(DelayFilterTest, ReverbTapsLandWhereTheDelayLinePutsThem) {
    // Level 100 at 100 ms, 8000 Hz mono: D = 800, L = 512. Tap gains 204, 51, 153, 35 and the
    // feedback 66 (0.13 × 512 = 66.56, truncated). The tap at t first hears the impulse D − t
    // later; what the taps add is fed back into the line and heard again.
    LCutListAudio document = Impulse(1000, 1, 0);
    LSRCReverb reverb(LSoundSourceRef(new LSRCCutListAudio(document)),
                      {.time_ms = 100, .level_percent = 100});
    ASSERT_EQ(reverb.DelayLength(), 800u);
    EXPECT_EQ(reverb.FeedbackGain(), 66);
    std::vector<Sample> out(1000);
    reverb.Read(out.data(), 1000);
    const Sample first_tap = (kImpulse * 204) >> 9;
    EXPECT_EQ(out[0], kImpulse);
    EXPECT_TRUE(std::all_of(out.begin() + 1, out.begin() + 207, [](Sample s) { return s == 0; }));
    EXPECT_EQ(out[800 - 593], first_tap);
    EXPECT_EQ(out[800 - 446], (kImpulse * 51) >> 9);
    EXPECT_EQ(out[2 * (800 - 593)], (first_tap * 204) >> 9);  // the first tap, heard again
    EXPECT_EQ(out[800 - 305], (kImpulse * 153) >> 9);
    EXPECT_EQ(out[800 - 168], (kImpulse * 35) >> 9);
    EXPECT_EQ(out[800], (kImpulse * 66) >> 9);  // the feedback from the line's end

    // A seek empties the line: the same read again gives the same answer.
    const std::vector<Sample> first = out;
    reverb.Seek(0);
    reverb.Read(out.data(), 1000);
    EXPECT_EQ(out, first);
}

TEST_F(DelayFilterTest, RangeEffectsKeepLengthRefuseBadValuesAndCancelCleanly) {
    LCutListAudio document = Staircase(40000, 2);
    const std::vector<Sample> before = ReadList(document);

    EfEcho too_short(document, {0, 40000}, {.time_ms = 9, .gain_percent = 50});
    EXPECT_EQ(testing::RunProcess(too_short), PROCESS_FAILED);
    EfReverb too_loud(document, {0, 40000}, {.time_ms = 50, .level_percent = 101});
    EXPECT_EQ(testing::RunProcess(too_loud), PROCESS_FAILED);
    // An empty selection: an empty replacement.
    EfEcho empty(document, {500, 500}, {.time_ms = 100, .gain_percent = 50});
    EXPECT_EQ(testing::RunProcess(empty), PROCESS_DONE);
    for (int polls : {1, 3}) {
        testing::CancelAfter cancel(polls);
        EfReverb cancelled(document, {0, 40000}, {.time_ms = 1000, .level_percent = 100});
        EXPECT_EQ(testing::RunProcess(cancelled, &cancel), PROCESS_STOPPED);
    }
    EXPECT_EQ(ReadList(document), before);

    EfReverb reverb(document, {10000, 30000}, {.time_ms = 1000, .level_percent = 100});
    ASSERT_EQ(testing::RunProcess(reverb), PROCESS_DONE);
    const std::vector<Sample> after = ReadList(document);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_TRUE(std::equal(after.begin(), after.begin() + 20000, before.begin()));
    EXPECT_TRUE(std::equal(after.begin() + 60000, after.end(), before.begin() + 60000));
    EXPECT_NE(after, before);
}

TEST_F(DelayFilterTest, LowCutAttenuatesTheBassAndPassesTheMiddle) {
    // LowCutFreq 250: a one-pole high-pass at 500 Hz. Left 50 Hz, right 2 kHz.
    constexpr std::int32_t kFrames = 44100;
    std::vector<Sample> input;
    const std::vector<Sample> low = Sine(50, kFrames, 1);
    const std::vector<Sample> high = Sine(2000, kFrames, 1);
    for (std::int32_t f = 0; f < kFrames; ++f) {
        input.push_back(low[f]);
        input.push_back(high[f]);
    }
    LCutListAudio document = FromSamples(input, 2, 44100);
    EfLowCutFilter filter(document, {0, kFrames}, {.frequency_hz = 250});
    ASSERT_EQ(testing::RunProcess(filter), PROCESS_DONE);
    const std::vector<Sample> out = ReadList(document);
    // Past the first 100 ms, where the filter settles. The one-pole response at 50 Hz against a
    // 500 Hz corner is about −20 dB; at 2 kHz, −0.3 dB.
    const double low_db = 20 * std::log10(Rms(out, 4410, 0, 2) / Rms(input, 4410, 0, 2));
    const double high_db = 20 * std::log10(Rms(out, 4410, 1, 2) / Rms(input, 4410, 1, 2));
    EXPECT_LT(low_db, -18.0);
    EXPECT_GT(low_db, -22.0);
    EXPECT_GT(high_db, -1.0);
    EXPECT_LT(high_db, 0.5);
}

TEST_F(DelayFilterTest, LowCutOfZeroPassesTheSignalAsItIs) {
    const std::vector<Sample> input = Sine(50, 9000, 2);
    LCutListAudio document = FromSamples(input, 2, 44100);
    EfLowCutFilter filter(document, {0, 9000}, {.frequency_hz = 0});
    ASSERT_EQ(testing::RunProcess(filter), PROCESS_DONE);
    EXPECT_EQ(ReadList(document), input);

    LSoundSourceRef upstream(new LSRCCutListAudio(document));
    LSRCHighPass bound(upstream, 500);
    EXPECT_EQ(bound.Coefficient(), 17);  // (1 − e^(−2π × 500 ÷ 44100)) × 256 = 17.6
    EXPECT_EQ(bound.GetMaxSample(), 2 * upstream->GetMaxSample());  // room for overshoot
}

TEST(EffectParameters, ChecksAcceptUpToTheirLimitsAndNameTheFirstFault) {
    EXPECT_TRUE(Check(AmplifyParameters{.gain_percent = 400}).Ok());
    EXPECT_TRUE(Check(AmplifyParameters{.gain_percent = -1000}).Ok());
    EXPECT_NE(Check(AmplifyParameters{.gain_percent = 401}).Message().find("400%"),
              std::string_view::npos);
    EXPECT_TRUE(Check(NormalizeParameters{.peak_percent = 100}).Ok());
    EXPECT_NE(Check(NormalizeParameters{.peak_percent = 101}).Message().find("Normalizar"),
              std::string_view::npos);

    EXPECT_TRUE(Check(EchoParameters{.time_ms = 10, .gain_percent = 99}).Ok());
    EXPECT_TRUE(Check(EchoParameters{.time_ms = 2999, .gain_percent = -500}).Ok());
    for (int time : {9, 3000}) {
        EXPECT_NE(Check(EchoParameters{.time_ms = time, .gain_percent = 100})
                      .Message()
                      .find("tiempo de Eco"),
                  std::string_view::npos)
            << time;
    }
    EXPECT_NE(Check(EchoParameters{.time_ms = 800, .gain_percent = 100})
                  .Message()
                  .find("Ganancia de Eco"),
              std::string_view::npos);

    EXPECT_TRUE(Check(ReverbParameters{.time_ms = 50, .level_percent = 100}).Ok());
    EXPECT_TRUE(Check(ReverbParameters{.time_ms = 1000, .level_percent = -20}).Ok());
    EXPECT_NE(Check(ReverbParameters{.time_ms = 10, .level_percent = 101}).Message().find("nivel"),
              std::string_view::npos);
    for (int time : {49, 1001}) {
        EXPECT_NE(
            Check(ReverbParameters{.time_ms = time, .level_percent = 100}).Message().find("tiempo"),
            std::string_view::npos)
            << time;
    }
}

// Each field is read from and written to its own key: a swap would show as another key's value.
TEST(EffectParameters, StoredParametersKeepEachFieldUnderItsOwnKey) {
    const std::shared_ptr<SettingsStore> previous = UseSettingsStore(nullptr);
    const EchoParameters defaults = ReadStored(kEchoStored);
    EXPECT_EQ(defaults.time_ms, 800);
    EXPECT_EQ(defaults.gain_percent, 50);

    ASSERT_TRUE(WriteStored(kEchoStored, EchoParameters{.time_ms = 300, .gain_percent = 40}));
    EXPECT_EQ(ReadInt("StoredValues", "EchoTime", 0), 300);
    EXPECT_EQ(ReadInt("StoredValues", "EchoGain", 0), 40);
    const EchoParameters echo = ReadStored(kEchoStored);
    EXPECT_EQ(echo.time_ms, 300);
    EXPECT_EQ(echo.gain_percent, 40);

    // The balance is not kept: it stays as the caller gave it.
    WriteInt("StoredValues", "LongerSelection", MIXMODE_FADEMIXOUT);
    MixPasteParameters given{};
    given.balance = 30;
    const MixPasteParameters mix = ReadStored(kMixPasteStored, given);
    EXPECT_EQ(mix.volume_percent, 100);
    EXPECT_EQ(mix.mode, MIXMODE_FADEMIXOUT);
    EXPECT_EQ(mix.fade_frames, 250);
    EXPECT_EQ(mix.balance, 30);
    UseSettingsStore(previous);
}

}  // namespace
}  // namespace sonvara
