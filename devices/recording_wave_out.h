#pragma once
// The output tests play into: it records every frame that reaches it (16-bit samples in order,
// each pass of a looping buffer included), up to a limit, paced either by the clock or by the
// test, which lets it play a given number of frames at a time, so that what a player does at
// each step is deterministic. It can be told to stall (take nothing, so no buffer comes back) or
// to fail its writes, and its provider to refuse to open.
//
// A WaveRecording is shared by the test and every output its provider opens.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "devices/wave_out.h"

namespace sonvara {

class WaveRecording {
  public:
    enum class Pace { kClock, kStepped };

    explicit WaveRecording(Pace pace, std::size_t sample_limit = std::size_t{1} << 22);

    // Stepped pace: lets the output play `frames` more frames and waits until it has (or until
    // `timeout`). False when they were not all played in time.
    bool Step(std::int64_t frames,
              std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));
    // Waits until `frames` frames in all have been played; false at the time-out.
    bool WaitForFrames(std::int64_t frames,
                       std::chrono::milliseconds timeout = std::chrono::milliseconds(5000)) const;

    void SetStalled(bool stalled);
    void SetFailing(bool failing);
    void SetRefusingOpen(bool refusing);

    // Every sample recorded so far (at most the limit), channels interleaved.
    std::vector<std::int16_t> Samples() const;
    // Frames played so far, those past the limit included.
    std::int64_t Frames() const;
    void Clear();
    // The format of the last output opened, and how many were opened.
    WaveOutFormat Format() const;
    int Opens() const;

  private:
    friend class RecordingWaveOut;
    friend class RecordingWaveOutProvider;

    // The output's side: takes up to `frames` frames (see QueuedWaveOut::Consume).
    std::int32_t Take(const std::int16_t* data, std::int32_t frames, int channels,
                      std::string& error);
    bool Opened(const WaveOutFormat& format, std::string& error);

    const Pace pace_;
    const std::size_t sample_limit_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<std::int16_t> samples_;
    std::int64_t frames_ = 0;
    std::int64_t allowance_ = 0;
    bool stalled_ = false;
    bool failing_ = false;
    bool refusing_open_ = false;
    WaveOutFormat format_;
    int opens_ = 0;
};

// Device 0 (and -1) is the recording output; any other number fails to open.
class RecordingWaveOutProvider : public WaveOutProvider {
  public:
    static constexpr const char* kName = "Grabación de prueba";

    explicit RecordingWaveOutProvider(std::shared_ptr<WaveRecording> recording);

    std::vector<std::string> DeviceNames() const override { return {kName}; }
    std::unique_ptr<WaveOut> Open(int number, const WaveOutFormat& format,
                                  LSignalObject& done_event, std::string& error) override;

    WaveRecording& Recording() { return *recording_; }

  private:
    std::shared_ptr<WaveRecording> recording_;
};

}  // namespace sonvara
