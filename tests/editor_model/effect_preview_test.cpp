// The effect preview on a player that plays into a recording output the test paces: what it
// plays, what an update changes, and how it borrows the player and hands it back.

#include "editor_model/effect_preview.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "document/edit_document.h"
#include "effects/compressor.h"
#include "effects/echo.h"
#include "effects/effect_sources.h"
#include "effects/speed_pitch.h"
#include "tests/devices/player_fixture.h"
#include "tests/document/document_fixture.h"
#include "tests/support/run_process.h"
#include "tests/support/wait_until.h"

namespace sonvara {
namespace {

constexpr std::int32_t kRate = 8000;

class EffectPreviewTest : public testing::DocumentTest {
  protected:
    EffectPreviewTest()
        : recording_(std::make_shared<WaveRecording>(WaveRecording::Pace::kStepped)),
          outputs_(recording_),
          player_(loop_, outputs_) {
        owner_.player = &player_;
        player_.SetNotify(&owner_, 7);
    }
    ~EffectPreviewTest() override {
        player_.Stop();
        player_.SetNotify(nullptr);
    }

    // A quiet tone with a little noise (the limiter leaves it alone), mono, at kRate.
    static LCutListAudio Tone(std::int32_t frames) {
        std::vector<Sample> samples;
        std::uint32_t noise = 99;
        for (std::int32_t f = 0; f < frames; ++f) {
            noise = noise * 1664525u + 1013904223u;
            const double value =
                std::sin(f * 0.07) * 0.2 + (static_cast<int>(noise >> 20) - 2048) * 1e-5;
            samples.push_back(static_cast<Sample>(value * FULL_SCALE));
        }
        return FromSamples(samples, 1, kRate);
    }

    // The 16-bit frames of `range` of `document` after `apply` changed a copy of it.
    std::vector<std::int16_t> Applied(const std::function<void(LCutListAudio&)>& apply,
                                      FrameRange range) {
        LCutListAudio copy = document_.Audio();
        apply(copy);
        const std::vector<Sample> samples = ReadList(copy);
        std::vector<std::int16_t> pcm;
        for (std::int32_t f = range.start; f < range.end; ++f) {
            pcm.push_back(SampleTo16(samples[static_cast<std::size_t>(f)]));
        }
        return pcm;
    }

    bool PumpUntil(const std::function<bool()>& done) {
        return testing::PumpUntil(loop_, done, std::chrono::seconds(5));
    }

    // Plays `frames` more frames (whole buffers of 800) and waits until they have come back.
    void Play(std::int32_t frames) {
        const std::int32_t target = player_.HeardPosition() + frames;
        ASSERT_TRUE(recording_->Step(frames));
        ASSERT_TRUE(PumpUntil([&] { return player_.HeardPosition() >= target; }));
    }

    std::vector<std::int16_t> Recorded(std::size_t from, std::size_t count) const {
        const std::vector<std::int16_t> samples = recording_->Samples();
        EXPECT_GE(samples.size(), from + count);
        return {
            samples.begin() + static_cast<std::ptrdiff_t>(from),
            samples.begin() + static_cast<std::ptrdiff_t>(std::min(from + count, samples.size()))};
    }

    QueueMessageLoop loop_;
    std::shared_ptr<WaveRecording> recording_;
    RecordingWaveOutProvider outputs_;
    testing::NotifyLog owner_;
    LSoundPlayer player_;
    LEditDocument document_;
};

TEST_F(EffectPreviewTest, PlaysThePartThroughTheEffectInALoopAndAnUpdateGoesOnFromTheHeardPlace) {
    document_.Audio() = Tone(16000);
    document_.Positions().selection_start = 4000;
    document_.Positions().selection_end = 8000;
    const std::size_t records = document_.Audio().Records().Count();
    const std::vector<Sample> before = ReadList(document_.Audio());
    const FrameRange part{4000, 8000};
    const EchoParameters echo{.time_ms = 100, .gain_percent = 50};
    const std::vector<std::int16_t> echoed = Applied(
        [&](LCutListAudio& d) {
            EfEcho process(d, part, echo);
            EXPECT_EQ(testing::RunProcess(process), PROCESS_DONE);
        },
        part);
    const std::vector<std::int16_t> halved =
        Applied([&](LCutListAudio& d) { d.EfAmplify(part.start, part.end, 50); }, part);
    ASSERT_NE(echoed, halved);

    LEffectPreview preview(player_, document_);
    ASSERT_TRUE(preview.Start(EffectSource(echo)));
    EXPECT_TRUE(preview.IsPlaying());
    // The whole part, then its start again: each pass is the effect applied to the part.
    Play(4000);
    Play(1600);
    EXPECT_EQ(Recorded(0, 4000), echoed);
    EXPECT_EQ(Recorded(4000, 1600),
              std::vector<std::int16_t>(echoed.begin(), echoed.begin() + 1600));

    // The new effect takes over where the loop is heard; the position goes on.
    const std::int32_t heard = player_.HeardPosition();
    preview.Update(EffectSource(AmplifyParameters{.gain_percent = 50}));
    Play(1600);
    EXPECT_EQ(player_.HeardPosition(), heard + 1600);
    EXPECT_EQ(Recorded(5600, 1600),
              std::vector<std::int16_t>(halved.begin() + 1600, halved.begin() + 3200));
    // Values that give no effect leave the preview as it is; past the part's end the loop wraps.
    preview.Update(
        EffectSource(CompressorParameters{.threshold_db = 0, .ratio_index = 99, .limit_db = 0}));
    Play(1600);
    EXPECT_EQ(Recorded(7200, 800), std::vector<std::int16_t>(halved.begin() + 3200, halved.end()));
    EXPECT_EQ(Recorded(8000, 800), std::vector<std::int16_t>(halved.begin(), halved.begin() + 800));

    preview.Stop();
    EXPECT_FALSE(preview.IsPlaying());
    EXPECT_TRUE(player_.IsIdle());
    EXPECT_EQ(ReadList(document_.Audio()), before);
    EXPECT_EQ(document_.Audio().Records().Count(), records);
    EXPECT_FALSE(document_.IsModified());
}

TEST_F(EffectPreviewTest, ASpeedChangeTakesOverAtTheSameShareOfThePartAndMovesTheLoopsEnd) {
    document_.Audio() = Tone(16000);
    document_.Positions().selection_start = 4000;
    document_.Positions().selection_end = 8000;
    const FrameRange part{4000, 8000};
    const SpeedPitchParameters slower{.percent = 50, .mode = kSpeedPitchSimple};
    LCutListAudio changed = document_.Audio();
    LEfChangeSpeedPitch change(changed, part, slower);
    ASSERT_EQ(testing::RunProcess(change), PROCESS_DONE);
    const std::int32_t length = change.SelectionEnd() - part.start;  // about twice the part
    ASSERT_GT(length, 7000);
    const std::vector<std::int16_t> slowed =
        Applied([&](LCutListAudio& d) { d = changed; }, {part.start, part.start + length});

    LEffectPreview preview(player_, document_);
    ASSERT_TRUE(preview.Start(EffectSource(AmplifyParameters{.gain_percent = 100})));
    Play(2400);  // 60 % of the part
    preview.Update(EffectSource(slower, part));
    const std::int32_t left = length - length * 3 / 5;
    Play(left + 800);
    // The rest of the slower part, then its start again.
    EXPECT_EQ(Recorded(2400 + static_cast<std::size_t>(left), 800),
              std::vector<std::int16_t>(slowed.begin(), slowed.begin() + 800));
}

TEST_F(EffectPreviewTest, BorrowsThePlayerAndHandsItBackWhenItStopsOrTheDeviceFails) {
    document_.Audio() = Tone(8000);
    ASSERT_TRUE(player_.Start(testing::Memory(testing::Staircase(8000, 1), kRate)));
    LEffectPreview preview(player_, document_);
    int ended = 0;
    preview.SetEndedCallback([&] { ++ended; });

    // The owner hears its play stop and nothing more while the preview plays.
    ASSERT_TRUE(preview.Start(EffectSource(AmplifyParameters{.gain_percent = 100})));
    EXPECT_TRUE(owner_.Saw("stop"));
    owner_.events.clear();
    Play(800);
    EXPECT_TRUE(owner_.events.empty());
    preview.Stop();
    EXPECT_TRUE(owner_.events.empty());
    EXPECT_EQ(player_.NotifyTarget(), &owner_);
    EXPECT_EQ(player_.NotifyUser(), 7u);
    EXPECT_EQ(ended, 0);

    // A device that fails while the preview plays ends it with the reason.
    ASSERT_TRUE(preview.Start(EffectSource(AmplifyParameters{.gain_percent = 100})));
    recording_->SetFailing(true);
    ASSERT_TRUE(PumpUntil([&] { return ended == 1; }));
    EXPECT_FALSE(preview.IsPlaying());
    EXPECT_NE(preview.ErrorText(), "");
    EXPECT_EQ(player_.NotifyTarget(), &owner_);

    // No device: nothing plays, and the reason is given.
    recording_->SetRefusingOpen(true);
    EXPECT_FALSE(preview.Start(EffectSource(AmplifyParameters{.gain_percent = 100})));
    EXPECT_NE(preview.ErrorText(), "");
    EXPECT_EQ(player_.NotifyTarget(), &owner_);
    EXPECT_EQ(ended, 1);
}

TEST_F(EffectPreviewTest, WithoutASelectionTenSecondsFromTheCursorPlayWithinTheDocument) {
    document_.Audio() = Staircase(25 * kRate);  // 8000 Hz, mono
    LEditPositions& positions = document_.Positions();
    struct Case {
        std::int32_t cursor, selection_start, selection_end;
        FrameRange part;
    };
    for (const Case& c : {
             Case{1000, 0, 0, {1000, 81000}},
             Case{25 * kRate, 0, 0, {15 * kRate, 25 * kRate}},
             Case{1000, 30 * kRate, 24 * kRate, {1000, 81000}},  // a reversed selection
             Case{0, 24 * kRate, 30 * kRate, {24 * kRate, 25 * kRate}},
         }) {
        positions.cursor = c.cursor;
        positions.selection_start = c.selection_start;
        positions.selection_end = c.selection_end;
        const FrameRange part = LEffectPreview::PartOf(document_);
        EXPECT_EQ(part.start, c.part.start) << c.cursor;
        EXPECT_EQ(part.end, c.part.end) << c.cursor;
    }
    document_.Audio() = LCutListAudio();
    LEffectPreview preview(player_, document_);
    EXPECT_FALSE(preview.Start(EffectSource(AmplifyParameters{.gain_percent = 100})));
    EXPECT_NE(preview.ErrorText(), "");
}

}  // namespace
}  // namespace sonvara
