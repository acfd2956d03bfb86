// The player on the recording output: what reaches the device, the notifications, the transport.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "audio/peak_limit.h"
#include "effects/time_stretch.h"
#include "tests/devices/player_fixture.h"

namespace sonvara {
namespace {

using std::chrono::milliseconds;
using testing::Memory;
using testing::Staircase;

std::vector<std::int16_t> Expected16(const std::vector<Sample>& samples) {
    std::vector<std::int16_t> out;
    for (Sample x : samples) {
        out.push_back(
            static_cast<std::int16_t>((static_cast<std::uint32_t>(x) + 8u) >> 4 & 0xFFFF));
    }
    return out;
}

using SoundPlayerTest = testing::PlayerTest;

TEST_F(SoundPlayerTest, EverySampleReachesTheDeviceRoundedAndInOrder) {
    // Stereo at 8 kHz: buffers of 800 frames, the last one short; values that test the rounding
    // at both signs and the extremes of the 16-bit range.
    std::vector<Sample> samples = Staircase(2003, 2);
    const Sample edges[] = {7, 8, -8, -9, 24, -24, FULL_SCALE, -FULL_SCALE - 16, 0};
    std::copy(std::begin(edges), std::end(edges), samples.begin() + 1000);

    ASSERT_TRUE(player_.Start(Memory(samples, 8000, 2)));
    EXPECT_EQ(recording_->Format().sample_rate, 8000);
    EXPECT_EQ(recording_->Format().channels, 2);
    ASSERT_TRUE(recording_->Step(2003));
    ASSERT_TRUE(PumpUntilStopped());

    EXPECT_EQ(Recorded(), Expected16(samples));
    EXPECT_EQ(log_.events.front(), "play");
    EXPECT_EQ(log_.events[1], "pos 0");
    // The end: the position at the length (2003 frames at 8 kHz), then the stop.
    ASSERT_GE(log_.events.size(), 2u);
    EXPECT_EQ(log_.events[log_.events.size() - 2], "pos 250");
    EXPECT_EQ(log_.events.back(), "stop");
    EXPECT_EQ(log_.error_at_stop, "");
    EXPECT_TRUE(player_.IsIdle());
    EXPECT_TRUE(player_.Source()->IsError());  // back to the null source
}

TEST_F(SoundPlayerTest, BuffersHoldATenthOfASecondWithinTwentyAnd8192Frames) {
    struct Case {
        std::int32_t rate;
        std::int32_t frames_per_buffer;
    };
    for (const Case& c : {Case{8000, 800}, Case{100, 20}, Case{96000, 8192}}) {
        SCOPED_TRACE(c.rate);
        recording_->Clear();
        ASSERT_TRUE(player_.Start(Memory(Staircase(3 * c.frames_per_buffer, 1), c.rate)));
        // One frame short of a buffer: nothing comes back yet.
        ASSERT_TRUE(recording_->Step(c.frames_per_buffer - 1));
        loop_.WaitAndPump(milliseconds(50));
        EXPECT_EQ(player_.PlayedPosition(), 0);
        ASSERT_TRUE(recording_->Step(1));
        EXPECT_TRUE(PumpUntil([&] { return player_.PlayedPosition() != 0; }));
        EXPECT_EQ(player_.PlayedPosition(), c.frames_per_buffer);
        player_.Stop();
    }
}

TEST_F(SoundPlayerTest, ASourceShorterThanABufferEndsAtItsLength) {
    // A pre-roll start too: the source ends before the ring could fill, and still plays.
    for (int flags : {0, int{LSoundPlayer::kStartPreRoll}}) {
        SCOPED_TRACE(flags);
        log_.events.clear();
        recording_->Clear();
        ASSERT_TRUE(player_.Start(Memory(Staircase(300, 1), 8000), flags));
        ASSERT_TRUE(recording_->Step(300));
        ASSERT_TRUE(PumpUntilStopped());
        EXPECT_EQ(recording_->Frames(), 300);
        const std::vector<std::string> end = {"pos 37", "stop"};  // 300 frames: 37.5 ms
        EXPECT_TRUE(std::equal(end.begin(), end.end(), log_.events.end() - 2));
    }
}

TEST_F(SoundPlayerTest, AnOwnerMayStartAgainWhenToldOfTheStop) {
    // A selection played in a loop: each end starts the next pass.
    int stops = 0;
    log_.on_stop = [&] {
        if (++stops < 3) {
            EXPECT_TRUE(player_.Start(Memory(Staircase(500, 1), 8000)));
        }
    };
    ASSERT_TRUE(player_.Start(Memory(Staircase(500, 1), 8000)));
    recording_->Step(1500, milliseconds(0));  // played while the loop below runs the stops
    ASSERT_TRUE(PumpUntil([&] { return stops == 3; }));
    EXPECT_TRUE(player_.IsIdle());
    const std::vector<std::int16_t> heard = Recorded();
    ASSERT_EQ(heard.size(), 1500u);
    for (std::size_t i = 0; i < heard.size(); ++i) {
        ASSERT_EQ(heard[i], static_cast<int>(i % 500)) << i;
    }
}

TEST_F(SoundPlayerTest, LevelsOfEachChannelAndTheLoudnessReachTheOwner) {
    // Left silent, right a full-scale square wave.
    std::vector<Sample> samples;
    for (int f = 0; f < 1600; ++f) {
        samples.push_back(0);
        samples.push_back(f % 2 == 0 ? FULL_SCALE : -FULL_SCALE);
    }
    ASSERT_TRUE(player_.Start(Memory(samples, 8000, 2)));
    ASSERT_TRUE(recording_->Step(800));
    ASSERT_TRUE(PumpUntil([this] { return log_.Saw("levels"); }));
    EXPECT_EQ(log_.last_levels.channels, 2);
    EXPECT_EQ(log_.last_levels.level[0], -127);
    EXPECT_EQ(log_.last_levels.level[1], 15);
    player_.Stop();

    // With them the momentary loudness of what was heard: a 1 kHz sine at -23 dBFS on both
    // channels reads -23 LUFS once 400 ms have been played, and a seek starts the reading over.
    std::vector<Sample> sine;
    for (int f = 0; f < 48000; ++f) {
        const auto x = static_cast<Sample>(std::pow(10.0, -23.0 / 20) * FULL_SCALE *
                                           std::sin(2 * M_PI * 1000 * f / 48000.0));
        sine.insert(sine.end(), {x, x});
    }
    ASSERT_TRUE(player_.Start(Memory(sine, 48000, 2)));
    ASSERT_TRUE(recording_->Step(24000));
    // The levels come after the position: wait for the report itself.
    const auto reads = [this](double lufs) {
        return PumpUntil([&] { return std::fabs(log_.last_levels.momentary - lufs) < 0.1; });
    };
    EXPECT_TRUE(reads(-23.0)) << log_.last_levels.momentary;
    player_.Seek(0);
    ASSERT_TRUE(recording_->Step(4800));
    // 100 ms of the sine and 300 of nothing: a quarter of the energy, 6 LU less.
    EXPECT_TRUE(reads(-29.0)) << log_.last_levels.momentary;
}

TEST_F(SoundPlayerTest, CueLoopsASnippetAndPlayGoesOnRightAfterIt) {
    // At 8 kHz a buffer is 800 frames and the snippet 200.
    ASSERT_TRUE(player_.Start(Memory(Staircase(8000, 1), 8000)));
    ASSERT_TRUE(recording_->Step(800));
    ASSERT_TRUE(PumpUntil([this] { return player_.PlayedPosition() == 800; }));

    log_.events.clear();
    player_.Cue();
    EXPECT_EQ(log_.events, (std::vector<std::string>{"levels", "cue", "pos 100"}));
    EXPECT_TRUE(player_.IsCue());
    const std::size_t cued_from = recording_->Samples().size();
    ASSERT_TRUE(recording_->Step(1000));

    log_.events.clear();
    player_.Cue();  // a second time: nothing changes
    EXPECT_TRUE(log_.events.empty());
    ASSERT_TRUE(recording_->Step(1000));

    player_.Play();
    EXPECT_EQ(log_.events, (std::vector<std::string>{"play"}));
    EXPECT_FALSE(player_.IsCue());
    ASSERT_TRUE(recording_->Step(1200));

    // 2000 frames of the loop (800..999 over and over), the rest of its last pass (400 frames),
    // then the sound from 1000 on.
    const std::vector<std::int16_t> heard = Recorded(cued_from);
    ASSERT_EQ(heard.size(), 3200u);
    for (std::size_t i = 0; i < 2400; ++i) {
        ASSERT_EQ(heard[i], 800 + static_cast<int>(i % 200)) << i;
    }
    for (std::size_t i = 2400; i < heard.size(); ++i) {
        ASSERT_EQ(heard[i], 1000 + static_cast<int>(i - 2400)) << i;
    }
}

TEST_F(SoundPlayerTest, SeekKeepsPauseAndMovesTheCueLoop) {
    ASSERT_TRUE(player_.Start(Memory(Staircase(8000, 1), 8000), LSoundPlayer::kStartPaused));
    EXPECT_EQ(log_.events, (std::vector<std::string>{"pause", "pos 0"}));
    EXPECT_FALSE(recording_->Step(100, milliseconds(100)));

    player_.Seek(4000);
    EXPECT_NE(player_.Flags() & LSoundPlayer::kPaused, 0);
    EXPECT_EQ(log_.events.back(), "pos 500");
    loop_.WaitAndPump(milliseconds(100));
    EXPECT_EQ(recording_->Frames(), 0);

    player_.Play();
    ASSERT_TRUE(recording_->Step(5));  // the 100 frames allowed before, and 5 more
    EXPECT_EQ(Recorded().front(), 4000);
    EXPECT_EQ(Recorded().back(), 4104);

    player_.Cue();
    player_.Seek(2000);
    EXPECT_TRUE(player_.IsCue());
    const std::size_t from = recording_->Samples().size();
    ASSERT_TRUE(recording_->Step(1600));
    const std::vector<std::int16_t> loop = Recorded(from);
    ASSERT_EQ(loop.size(), 1600u);
    for (std::size_t i = 0; i < loop.size(); ++i) {
        ASSERT_EQ(loop[i], 2000 + static_cast<int>(i % 200)) << i;
    }
}

TEST_F(SoundPlayerTest, OnlyASourceDeclaredLouderThanFullScaleGoesThroughTheLimiter) {
    // Samples above full scale: played directly they wrap, through the limiter they do not.
    std::vector<Sample> loud;
    for (int f = 0; f < 2000; ++f) {
        loud.push_back((f % 40 < 20 ? 1 : -1) * 2 * FULL_SCALE);
    }
    for (Sample declared : {FULL_SCALE, 2 * FULL_SCALE}) {
        SCOPED_TRACE(declared);
        recording_->Clear();
        log_.events.clear();
        ASSERT_TRUE(player_.Start(Memory(loud, 8000, 1, declared)));
        ASSERT_TRUE(recording_->Step(2000));
        ASSERT_TRUE(PumpUntilStopped());
        std::vector<Sample> expected = loud;
        if (declared > FULL_SCALE) {
            LSRCPeakLimit limiter(Memory(loud, 8000, 1, declared), FULL_SCALE);
            limiter.Read(expected.data(), 2000);
        }
        EXPECT_EQ(Recorded(), Expected16(expected));
    }
}

TEST_F(SoundPlayerTest, AFailedOpenOrABadSourceLeavesThePlayerIdle) {
    LSoundSourceRef in_error;  // the null source
    EXPECT_FALSE(player_.Start(in_error));
    EXPECT_NE(player_.ErrorText(), "");

    recording_->SetRefusingOpen(true);
    EXPECT_FALSE(player_.Start(Memory(Staircase(100, 1), 8000)));
    EXPECT_NE(player_.ErrorText(), "");
    recording_->SetRefusingOpen(false);

    player_.SetDevice(3);  // the recording provider has device 0 only
    EXPECT_FALSE(player_.Start(Memory(Staircase(100, 1), 8000)));
    EXPECT_NE(player_.ErrorText().find("3"), std::string::npos);

    EXPECT_TRUE(player_.IsIdle());
    EXPECT_TRUE(player_.Source()->IsError());
    EXPECT_TRUE(log_.events.empty());
    player_.Cue();
    player_.Seek(10);
    player_.Play();
    EXPECT_TRUE(log_.events.empty());
    EXPECT_FALSE(player_.ReplaceSource(Memory(Staircase(100, 1), 8000)));
}

TEST_F(SoundPlayerTest, AFailingWriteStopsPlaybackWithTheReason) {
    recording_->SetFailing(true);
    ASSERT_TRUE(player_.Start(Memory(Staircase(8000, 1), 8000)));
    ASSERT_TRUE(PumpUntilStopped());
    EXPECT_NE(log_.error_at_stop.find("rechazó la escritura"), std::string::npos);
    EXPECT_TRUE(player_.IsIdle());

    // The reason lasts until the next start.
    recording_->SetFailing(false);
    ASSERT_TRUE(player_.Start(Memory(Staircase(100, 1), 8000)));
    EXPECT_EQ(player_.ErrorText(), "");
}

TEST_F(SoundPlayerTest, ADeviceThatStopsReturningBuffersStopsPlaybackButAPauseDoesNot) {
    // Meanwhile a second player waits paused on a healthy device: a pause is no stall.
    auto paused_recording = std::make_shared<WaveRecording>(WaveRecording::Pace::kStepped);
    RecordingWaveOutProvider paused_outputs(paused_recording);
    LSoundPlayer paused(loop_, paused_outputs);
    ASSERT_TRUE(paused.Start(Memory(Staircase(8000, 1), 8000), LSoundPlayer::kStartPaused));

    // More than 64 waits of 150 ms: about ten seconds.
    recording_->SetStalled(true);
    ASSERT_TRUE(player_.Start(Memory(Staircase(8000, 1), 8000)));
    ASSERT_TRUE(PumpUntilStopped(milliseconds(20000)));
    EXPECT_EQ(log_.error_at_stop, "El dispositivo de sonido dejó de responder.");
    EXPECT_EQ(recording_->Frames(), 0);

    loop_.WaitAndPump(milliseconds(500));
    EXPECT_EQ(paused.Flags() & (LSoundPlayer::kOpen | LSoundPlayer::kPaused),
              LSoundPlayer::kOpen | LSoundPlayer::kPaused);
    EXPECT_EQ(paused.ErrorText(), "");
}

TEST_F(SoundPlayerTest, RewindPlaysTheSoundBackwardsInSegments) {
    // Rewind as the transport builds it: the source sought to the cursor, a time stretch with
    // negative speeds in front. Each segment plays forwards; segment after segment steps back.
    LSoundSourceRef document = Memory(Staircase(8000, 1), 8000);
    document->Seek(7000);
    ASSERT_TRUE(player_.Start(new LSRCTimeStretch(document, -0.5, -7.0, 8000)));
    ASSERT_TRUE(recording_->Step(4000));
    player_.Stop();

    // The starts of the runs of consecutive values (the segments' solo halves).
    const std::vector<std::int16_t> heard = Recorded();
    ASSERT_EQ(heard.size(), 4000u);
    std::vector<int> starts;
    int run = 0;
    for (std::size_t i = 1; i < heard.size(); ++i) {
        run = heard[i] == heard[i - 1] + 1 ? run + 1 : 0;
        if (run == 20) {
            starts.push_back(heard[i] - 20);
        }
    }
    ASSERT_GT(starts.size(), 20u);
    EXPECT_LE(starts.front(), 7000);
    for (std::size_t i = 5; i < starts.size(); i += 5) {
        EXPECT_LT(starts[i], starts[i - 5]) << i;
    }
    EXPECT_LT(starts.back(), 6000);
}

TEST_F(SoundPlayerTest, AReplacedSourceIsHeardFromTheHeardPosition) {
    ASSERT_TRUE(player_.Start(Memory(Staircase(8000, 1), 8000)));
    // Two buffers back, and 300 frames of the third heard.
    ASSERT_TRUE(recording_->Step(1900));
    ASSERT_TRUE(PumpUntil([this] { return player_.PlayedPosition() == 1600; }));
    ASSERT_TRUE(PumpUntil([this] { return player_.HeardPosition() == 1900; }));

    EXPECT_FALSE(player_.ReplaceSource(Memory(Staircase(8000, 1), 16000)));
    EXPECT_FALSE(player_.ReplaceSource(Memory(Staircase(8000, 2), 8000, 2)));
    ASSERT_TRUE(player_.ReplaceSource(Memory(Staircase(8000, 1, 10000), 8000)));
    const std::size_t from = recording_->Samples().size();
    ASSERT_TRUE(recording_->Step(2000));  // a quarter of a second
    const std::vector<std::int16_t> heard = Recorded(from);
    ASSERT_EQ(heard.size(), 2000u);
    for (std::size_t i = 0; i < heard.size(); ++i) {
        ASSERT_EQ(heard[i], 11900 + static_cast<int>(i)) << i;
    }
}

}  // namespace
}  // namespace sonvara
