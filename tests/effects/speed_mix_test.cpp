// Speed and pitch changes, the time stretch, document conversions and mix paste.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "document/convert_document.h"
#include "effects/mix_paste.h"
#include "effects/speed_pitch.h"
#include "effects/time_stretch.h"
#include "tests/document/document_fixture.h"
#include "tests/support/cancel_after_view.h"
#include "tests/support/run_process.h"

namespace sonvara {
namespace {

constexpr std::int32_t kSpeedMixRate = 44100;

class SpeedMixTest : public testing::DocumentTest {
  protected:
    static std::vector<Sample> Sine(double frequency, std::int32_t frames, int channels,
                                    std::int32_t rate = kSpeedMixRate) {
        std::vector<Sample> samples;
        for (std::int32_t f = 0; f < frames; ++f) {
            const auto value = static_cast<Sample>(
                0x40000 * std::sin(2 * std::numbers::pi * frequency * f / rate));
            for (int c = 0; c < channels; ++c) {
                samples.push_back(c == 0 ? value : -value);
            }
        }
        return samples;
    }

    // The strongest frequency of channel 0 over frames [from, to), to the nearest Hz between
    // `low` and `high` (a Goertzel filter at every whole frequency). Zero crossings would not do:
    // the time stretch's splices add crossings of their own.
    static double Frequency(const std::vector<Sample>& samples, int channels, std::size_t from,
                            std::size_t to, std::int32_t rate = kSpeedMixRate, int low = 100,
                            int high = 1500) {
        double best = 0, best_power = -1;
        for (int hz = low; hz <= high; ++hz) {
            const double coefficient = 2 * std::cos(2 * std::numbers::pi * hz / rate);
            double s1 = 0, s2 = 0;
            for (std::size_t f = from; f < to; ++f) {
                const double s0 = samples[f * channels] + coefficient * s1 - s2;
                s2 = s1;
                s1 = s0;
            }
            const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
            if (power > best_power) {
                best_power = power;
                best = hz;
            }
        }
        return best;
    }

    static ProcessResult SpeedPitch(LCutListAudio& document, FrameRange range,
                                    const SpeedPitchParameters& parameters,
                                    std::int32_t* new_end = nullptr) {
        LEfChangeSpeedPitch change(document, range, parameters);
        const ProcessResult result = testing::RunProcess(change);
        if (new_end != nullptr) {
            *new_end = change.SelectionEnd();
        }
        return result;
    }
};

TEST_F(SpeedMixTest, SimpleSpeedDoublesPitchAndHalvesLength) {
    const std::vector<Sample> input = Sine(441, 3 * kSpeedMixRate, 2);
    LCutListAudio document = FromSamples(input, 2, kSpeedMixRate);
    std::int32_t new_end = 0;
    ASSERT_EQ(SpeedPitch(document, {kSpeedMixRate, 2 * kSpeedMixRate},
                         {.percent = 200, .mode = kSpeedPitchSimple}, &new_end),
              PROCESS_DONE);
    EXPECT_NEAR(document.GetLength(), 2 * kSpeedMixRate + kSpeedMixRate / 2, 2);
    EXPECT_EQ(new_end,
              document.GetLength() - kSpeedMixRate);  // the selection covers the changed audio
    const std::vector<Sample> out = ReadList(document);
    EXPECT_NEAR(Frequency(out, 2, kSpeedMixRate + 1000, kSpeedMixRate + kSpeedMixRate / 2 - 1000),
                882, 2);
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + 2 * kSpeedMixRate, input.begin()));  // before
    EXPECT_TRUE(std::equal(out.end() - 2 * kSpeedMixRate, out.end(),
                           input.end() - 2 * kSpeedMixRate));  // after
}

TEST_F(SpeedMixTest, ConstantPitchShortensByAThirdAndKeepsTheTone) {
    LCutListAudio document = FromSamples(Sine(441, 3 * kSpeedMixRate, 1), 1, kSpeedMixRate);
    ASSERT_EQ(SpeedPitch(document, {0, 3 * kSpeedMixRate},
                         {.percent = 150, .mode = kSpeedPitchConstantPitch}),
              PROCESS_DONE);
    const std::int32_t segment = kSpeedMixRate / 90;
    EXPECT_NEAR(document.GetLength(), 2 * kSpeedMixRate, segment);
    const std::vector<Sample> out = ReadList(document);
    EXPECT_NEAR(Frequency(out, 1, 2000, document.GetLength() - 2000), 441, 3);
}

TEST_F(SpeedMixTest, ConstantSpeedKeepsTheLengthAndMovesThePitch) {
    LCutListAudio document = FromSamples(Sine(400, 2 * kSpeedMixRate, 2), 2, kSpeedMixRate);
    ASSERT_EQ(SpeedPitch(document, {0, 2 * kSpeedMixRate},
                         {.percent = 150, .mode = kSpeedPitchConstantSpeed}),
              PROCESS_DONE);
    EXPECT_NEAR(document.GetLength(), 2 * kSpeedMixRate, kSpeedMixRate / 90);
    const std::vector<Sample> out = ReadList(document);
    EXPECT_NEAR(Frequency(out, 2, 2000, document.GetLength() - 2000), 600, 6);
}

TEST_F(SpeedMixTest, FactorsBelowATenthAreRaisedAndCancelsChangeNothing) {
    // 0 % in the constant-pitch mode would never end: it runs at 10 %, ten times longer.
    LCutListAudio document = Staircase(2000, 1);
    ASSERT_EQ(SpeedPitch(document, {0, 1000}, {.percent = 0, .mode = kSpeedPitchConstantPitch}),
              PROCESS_DONE);
    EXPECT_NEAR(document.GetLength(), 10000 + 1000 + 1000, 8000 / 90);

    LCutListAudio untouched = Staircase(50000, 2);
    const std::vector<Sample> before = ReadList(untouched);
    for (std::int32_t mode : {0, 1, 2}) {
        testing::CancelAfter cancel(2);
        LEfChangeSpeedPitch change(untouched, {0, 50000}, {.percent = 150, .mode = mode});
        EXPECT_EQ(testing::RunProcess(change, &cancel), PROCESS_STOPPED) << mode;
    }
    LEfChangeSpeedPitch unknown_mode(untouched, {0, 50000}, {.percent = 150, .mode = 3});
    EXPECT_EQ(testing::RunProcess(unknown_mode), PROCESS_FAILED);
    EXPECT_EQ(ReadList(untouched), before);
}

TEST_F(SpeedMixTest, StretchAtUnitySpeedGivesTheInputBack) {
    const std::vector<Sample> input = Sine(1234, 20000, 2);
    LCutListAudio document = FromSamples(input, 2, kSpeedMixRate);
    LSRCTimeStretch stretch(LSoundSourceRef(new LSRCCutListAudio(document)), 1.0, 1.0, 0);
    EXPECT_EQ(stretch.GetLength(), 20000);
    const std::vector<std::int32_t>& window = stretch.Window();
    ASSERT_EQ(static_cast<std::int32_t>(window.size()), stretch.SegmentSamples());
    EXPECT_EQ(window.front(), 1 << 24);
    EXPECT_EQ(window[window.size() / 2], 1 << 24);
    EXPECT_LT(window.back(), 1 << 14);
    std::vector<Sample> out(input.size());
    stretch.Read(out.data(), 20000);
    // Both streams are the same; the fade's two split products each lose up to two units.
    for (std::size_t i = 0; i < input.size(); ++i) {
        ASSERT_NEAR(out[i], input[i], 4) << i;
    }
}

TEST_F(SpeedMixTest, NegativeHopsStepBackwardsAndRampsReachTheirEndSpeed) {
    // A staircase (frame f holds 16 f) heard backwards from frame 30000: each segment plays
    // forwards, and the segments step back a hop each (give or take the search's half segment,
    // which does not add up).
    LCutListAudio document = Staircase(40000, 1);
    LSoundSourceRef upstream(new LSRCCutListAudio(document));
    upstream->Seek(30000);
    LSRCTimeStretch wind(upstream, -1.0, -1.0, 0);
    const std::int32_t segment = wind.SegmentSamples();
    ASSERT_EQ(segment, 8000 / 90);
    std::vector<Sample> out(static_cast<std::size_t>(segment) * 10);
    wind.Read(out.data(), segment * 10);
    auto segment_start = [&](int i) { return out[static_cast<std::size_t>(i) * segment]; };
    // Segment 1 continues segment 0's new stream; from there on each starts earlier.
    EXPECT_EQ(segment_start(0), 16 * 30000);
    EXPECT_EQ(segment_start(1), 16 * (30000 + segment));
    EXPECT_NEAR(segment_start(1) - segment_start(9), 16 * 8 * segment, 16 * segment / 2);
    for (int i = 1; i < 10; ++i) {
        if (i >= 2) {
            EXPECT_LE(segment_start(i), segment_start(i - 1)) << i;
        }
        // The first half of a segment is the old stream alone, read forwards.
        EXPECT_EQ(out[static_cast<std::size_t>(i) * segment + 10] - segment_start(i), 16 * 10);
    }
    EXPECT_EQ(wind.GetLength(), INT32_MAX);

    // The wind transport's ramp: from −0.5 to −7 times over 8 s.
    upstream->Seek(30000);
    LSRCTimeStretch ramp(upstream, -0.5, -7.0, 8000);
    EXPECT_EQ(ramp.Hop(), -segment / 2);
    std::vector<Sample> eight_seconds(8000 * 9);
    ramp.Read(eight_seconds.data(), 8000 * 9);
    EXPECT_EQ(ramp.Hop(), static_cast<std::int32_t>(segment * -7.0));
}

TEST_F(SpeedMixTest, InputFrameAtNamesTheFrameHeardAsACursorShowsIt) {
    // A staircase: what is heard at each output frame tells where in the input it came from
    // (the cross-fade mixes two positions in proportion). The estimate may miss by the search's
    // half segment and the cosine's difference from a straight fade, never by more than a
    // segment (11 ms), in plays at constant speed and in both ramped winds.
    const LCutListAudio document = Staircase(250000, 1);
    struct Case {
        double start_speed, end_speed;
        std::int32_t ramp_ms, from;
    };
    for (const Case& c : {Case{1.5, 1.5, 0, 1000}, Case{0.5, 0.5, 0, 1000}, Case{1.5, 7.0, 8000, 0},
                          Case{-0.5, -7.0, 8000, 240000}}) {
        LSoundSourceRef upstream(new LSRCCutListAudio(document));
        upstream->Seek(c.from);
        LSRCTimeStretch stretch(upstream, c.start_speed, c.end_speed, c.ramp_ms);
        const std::int32_t segment = stretch.SegmentSamples();
        std::vector<Sample> out(3 * 8000);
        stretch.Read(out.data(), static_cast<std::int32_t>(out.size()));
        for (std::size_t o = 0; o < out.size(); o += 7) {
            const double heard = out[o] / 16.0;
            ASSERT_NEAR(stretch.InputFrameAt(c.from + static_cast<std::int64_t>(o)), heard, segment)
                << c.start_speed << " at " << o;
        }
    }

    // A seek to the output frame that stands for an input frame is heard at that input frame.
    LSoundSourceRef upstream(new LSRCCutListAudio(document));
    LSRCTimeStretch fast(upstream, 1.5, 1.5, 0);
    fast.Seek(fast.OutputFrameFor(12000));
    EXPECT_NEAR(fast.InputFrameAt(fast.GetPosition()), 12000, 1);
}

TEST_F(SpeedMixTest, ConversionsKeepTheToneAndTheLeftChannel) {
    LCutListAudio document = FromSamples(Sine(1000, kSpeedMixRate, 2), 2, kSpeedMixRate);
    LCLAConvertRateChannels to_mono(document, kSpeedMixRate, 1);
    ASSERT_EQ(testing::RunProcess(to_mono), PROCESS_DONE);
    EXPECT_EQ(ReadList(document), Sine(1000, kSpeedMixRate, 1));  // the left, as it was

    LCLAConvertRateChannels to_8000(document, 8000, 1);
    ASSERT_EQ(testing::RunProcess(to_8000), PROCESS_DONE);
    EXPECT_EQ(document.GetSampleRate(), 8000);
    EXPECT_NEAR(document.GetLength(), 8000, 2);
    EXPECT_NEAR(Frequency(ReadList(document), 1, 100, 7900, 8000), 1000, 2);
}

class MixPasteTest : public SpeedMixTest {
  protected:
    // Ten seconds of 8000 Hz: the staircase; the paste: a constant 1000 on every channel.
    static LCutListAudio Paste(std::int32_t frames, int channels, std::int32_t rate = 8000) {
        return FromSamples(std::vector<Sample>(static_cast<std::size_t>(frames) * channels, 1000),
                           channels, rate);
    }
};

TEST_F(MixPasteTest, ALongerPasteInsertsSilenceExtendsOrFadesOut) {
    const LCutListAudio paste = Paste(80000, 1);  // 10 s
    const std::vector<Sample> original = ReadList(Staircase(160000, 1));

    LCutListAudio inserted = Staircase(160000, 1);  // 20 s; the selection is 2 s to 6 s
    EfMixPaste insert(
        inserted, {16000, 48000}, paste,
        {.volume_percent = 100, .mode = MIXMODE_INSERTSILENCE, .fade_frames = 0, .balance = 50});
    ASSERT_EQ(testing::RunProcess(insert), PROCESS_DONE);
    ASSERT_EQ(inserted.GetLength(), 160000 + 48000);
    EXPECT_EQ(insert.SelectionEnd(), 16000 + 80000);
    std::vector<Sample> out = ReadList(inserted);
    EXPECT_EQ(out[15999], original[15999]);
    EXPECT_EQ(out[16000], original[16000] + 1000);
    EXPECT_EQ(out[47999], original[47999] + 1000);
    EXPECT_EQ(out[48000], 1000);  // the inserted silence, with the paste
    EXPECT_EQ(out[95999], 1000);
    EXPECT_EQ(out[96000], original[48000]);  // the rest, 6 s later

    LCutListAudio extended = Staircase(160000, 1);
    EfMixPaste extend(
        extended, {16000, 48000}, paste,
        {.volume_percent = 100, .mode = MIXMODE_EXTENDSELECTION, .fade_frames = 0, .balance = 50});
    ASSERT_EQ(testing::RunProcess(extend), PROCESS_DONE);
    ASSERT_EQ(extended.GetLength(), 160000);
    out = ReadList(extended);
    EXPECT_EQ(out[95999], original[95999] + 1000);
    EXPECT_EQ(out[96000], original[96000]);

    LCutListAudio faded = Staircase(160000, 1);
    EfMixPaste fade(
        faded, {16000, 48000}, paste,
        {.volume_percent = 100, .mode = MIXMODE_FADEMIXOUT, .fade_frames = 8000, .balance = 50});
    ASSERT_EQ(testing::RunProcess(fade), PROCESS_DONE);
    ASSERT_EQ(faded.GetLength(), 160000);
    out = ReadList(faded);
    EXPECT_EQ(out[39999], original[39999] + 1000);      // before the fade
    EXPECT_NEAR(out[44000] - original[44000], 500, 2);  // half way through it
    EXPECT_NEAR(out[47999] - original[47999], 0, 1);
    EXPECT_EQ(out[48000], original[48000]);
}

TEST_F(MixPasteTest, AShorterPasteMixesOnlyItsLengthWithBalanceAndConversion) {
    // A mono paste of 1000 at 16000 Hz into a stereo document at 8000 Hz. The volume scales it;
    // the balance moves it between the channels, twice as loud on one side at either end.
    struct Case {
        std::int32_t volume, balance;
        Sample left, right;  // what the paste adds
    };
    for (const Case& test :
         {Case{100, 0, 2000, 0}, Case{50, 50, 500, 500}, Case{100, 100, 0, 2000}}) {
        SCOPED_TRACE(::testing::Message() << test.volume << " %, balance " << test.balance);
        LCutListAudio document = Staircase(40000, 2);
        const std::vector<Sample> original = ReadList(document);
        EfMixPaste mix(document, {10000, 30000}, Paste(16000, 1, 16000),
                       {.volume_percent = test.volume,
                        .mode = MIXMODE_INSERTSILENCE,
                        .fade_frames = 0,
                        .balance = test.balance});
        ASSERT_EQ(testing::RunProcess(mix), PROCESS_DONE);
        EXPECT_NEAR(mix.SelectionEnd(), 18000, 2);
        ASSERT_EQ(document.GetLength(), 40000);
        const std::vector<Sample> out = ReadList(document);
        EXPECT_NEAR(out[2 * 12000] - original[2 * 12000], test.left, 2);
        EXPECT_NEAR(out[2 * 12000 + 1] - original[2 * 12000 + 1], test.right, 2);
        EXPECT_EQ(out[2 * 20000], original[2 * 20000]);  // past the paste
    }
}

TEST_F(MixPasteTest, CancelLeavesTheDocumentAsItWas) {
    LCutListAudio document = Staircase(100000, 1);
    const std::vector<Sample> before = ReadList(document);
    testing::CancelAfter cancel(2);
    EfMixPaste mix(
        document, {10000, 40000}, Paste(80000, 1),
        {.volume_percent = 100, .mode = MIXMODE_INSERTSILENCE, .fade_frames = 0, .balance = 50});
    EXPECT_EQ(testing::RunProcess(mix, &cancel), PROCESS_STOPPED);
    EXPECT_EQ(ReadList(document), before);

    LEfPasteOver over(document, {10000, 40000}, Paste(8000, 2, 16000));
    ASSERT_EQ(testing::RunProcess(over), PROCESS_DONE);
    EXPECT_NEAR(document.GetLength(), 100000 - 30000 + 4000, 2);
    EXPECT_EQ(document.GetChannels(), 1);
}

}  // namespace
}  // namespace sonvara
