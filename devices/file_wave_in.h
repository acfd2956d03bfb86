#pragma once
// The input tests record from: a stretch of 16-bit sound, from a WAV file or given as samples,
// delivered as if a microphone captured it, either in real time or as fast as the recorder takes
// it. Past its end a clock-paced input goes on with silence, as a quiet room would; an unpaced one
// delivers nothing more, so that a test knows when all of it has been captured. It can be told to
// refuse to open, or to fail its reads after a number of frames.
//
// A CapturedSound is shared by the test and every input its provider opens; each open starts
// again from its first frame.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "devices/wave_in.h"

namespace sonvara {

class CapturedSound {
  public:
    enum class Pace { kClock, kUnpaced };

    // `samples`: interleaved frames of `format`.
    CapturedSound(std::vector<std::int16_t> samples, const WaveInFormat& format, Pace pace);
    // The sound of a WAV file (8- or 16-bit PCM or anything the codec manager reads); null when
    // it cannot be read, with `error` saying why.
    static std::shared_ptr<CapturedSound> FromWave(const std::string& path, Pace pace,
                                                   std::string& error);

    // Frames delivered since the last open.
    std::int64_t Delivered() const;
    // Waits until `frames` frames have been delivered; false at the time-out.
    bool WaitForDelivered(std::int64_t frames, std::chrono::milliseconds timeout =
                                                   std::chrono::milliseconds(10000)) const;
    std::int64_t Frames() const {
        return static_cast<std::int64_t>(samples_.size()) / format_.channels;
    }
    const WaveInFormat& Format() const { return format_; }

    void SetRefusingOpen(bool refusing);
    // Reads fail once `frames` frames have been delivered (negative: never).
    void SetFailingAfter(std::int64_t frames);

  private:
    friend class FileWaveIn;
    friend class FileWaveInProvider;

    bool Opened(const WaveInFormat& format, std::string& error);
    // The input's side: fills up to `frames` frames (see QueuedWaveIn::Capture).
    std::int32_t Take(std::int16_t* data, std::int32_t frames, std::string& error);

    const std::vector<std::int16_t> samples_;
    const WaveInFormat format_;
    const Pace pace_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::int64_t delivered_ = 0;
    std::int64_t failing_after_ = -1;
    bool refusing_open_ = false;
};

// Device 0 (and -1) plays the sound in; any other number fails to open, and so does a format other
// than the sound's own.
class FileWaveInProvider : public WaveInProvider {
  public:
    static constexpr const char* kName = "Entrada de prueba";

    explicit FileWaveInProvider(std::shared_ptr<CapturedSound> sound);

    std::vector<std::string> DeviceNames() const override { return {kName}; }
    std::unique_ptr<WaveIn> Open(int number, const WaveInFormat& format, LSignalObject& done_event,
                                 std::string& error) override;

  private:
    std::shared_ptr<CapturedSound> sound_;
};

}  // namespace sonvara
