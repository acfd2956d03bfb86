#pragma once
// A player on the recording output, with a notification target that logs what it is told.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/memory_stream.h"
#include "core/message_loop.h"
#include "devices/recording_wave_out.h"
#include "devices/sound_player.h"
#include "tests/support/wait_until.h"

namespace sonvara::testing {

// Logs the notifications as short texts: "play", "stop", "cue", "pause", "pos 1234" (ms),
// "levels".
class NotifyLog : public LSoundPlayerNotify {
  public:
    void EvPlay(std::uint32_t /*user*/) override { events.emplace_back("play"); }
    void EvStop(std::uint32_t /*user*/) override {
        events.emplace_back("stop");
        error_at_stop = player->ErrorText();
        if (on_stop) {
            on_stop();
        }
    }
    void EvCue(std::uint32_t /*user*/) override { events.emplace_back("cue"); }
    void EvPause(std::uint32_t /*user*/) override { events.emplace_back("pause"); }
    void EvPosition(std::uint32_t /*user*/, std::int32_t milliseconds) override {
        events.push_back("pos " + std::to_string(milliseconds));
    }
    void EvLevels(std::uint32_t /*user*/, const SoundLevels& levels) override {
        events.emplace_back("levels");
        last_levels = levels;
    }

    bool Saw(const std::string& event) const {
        return std::find(events.begin(), events.end(), event) != events.end();
    }

    LSoundPlayer* player = nullptr;
    std::vector<std::string> events;
    SoundLevels last_levels;
    std::string error_at_stop;
    std::function<void()> on_stop;
};

// A staircase: frame f of channel c plays as the 16-bit value base + f (+ c × 1000).
inline std::vector<Sample> Staircase(std::int32_t frames, int channels, std::int32_t base = 0) {
    std::vector<Sample> samples;
    for (std::int32_t f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            samples.push_back((base + f + c * 1000) * 16);
        }
    }
    return samples;
}

inline LSoundSourceRef Memory(std::vector<Sample> samples, std::int32_t rate, int channels = 1,
                              Sample max_sample = FULL_SCALE) {
    return new LMemorySoundSource(std::move(samples), rate, channels, max_sample);
}

class PlayerTest : public ::testing::Test {
  protected:
    explicit PlayerTest(WaveRecording::Pace pace = WaveRecording::Pace::kStepped)
        : recording_(std::make_shared<WaveRecording>(pace)),
          outputs_(recording_),
          player_(loop_, outputs_) {
        log_.player = &player_;
        player_.SetNotify(&log_, 7);
    }
    ~PlayerTest() override {
        player_.Stop();
        player_.SetNotify(nullptr);
    }

    // Runs the interface thread's messages until `done` holds; false at the time-out.
    bool PumpUntil(const std::function<bool()>& done,
                   std::chrono::milliseconds timeout = std::chrono::milliseconds(5000)) {
        return testing::PumpUntil(loop_, done, timeout);
    }
    bool PumpUntilStopped(std::chrono::milliseconds timeout = std::chrono::milliseconds(5000)) {
        return PumpUntil([this] { return log_.Saw("stop"); }, timeout);
    }
    // The recorded 16-bit values from sample `from` on.
    std::vector<std::int16_t> Recorded(std::size_t from = 0) const {
        std::vector<std::int16_t> samples = recording_->Samples();
        return {samples.begin() + static_cast<std::ptrdiff_t>(std::min(from, samples.size())),
                samples.end()};
    }

    QueueMessageLoop loop_;
    std::shared_ptr<WaveRecording> recording_;
    RecordingWaveOutProvider outputs_;
    NotifyLog log_;
    LSoundPlayer player_;
};

}  // namespace sonvara::testing
