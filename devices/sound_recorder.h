#pragma once
// LSoundRecorder: records from a wave input into any sound sink. A worker thread keeps 30 device
// buffers of a tenth of a second queued; each buffer that comes back is turned into internal
// samples, freed of its DC offset, measured (peak levels per channel) and written to the sink.
//
// Voice activation: armed in WAITING, the recorder writes nothing until a block reaches the start
// threshold; it then writes that block, with the last 50 ms of the block before it when the
// sound begins in its first half. RECORDING falls back to WAITING after more than the silence
// time below the stop threshold (the start threshold less 5 dB), keeping 450 ms of the quiet and
// resuming at that point when sound returns. A maximum time ends the recording at the first block
// past it. Stop trims the quiet after the last loud block back to 50 ms.
//
// Positions and times are those of the sink: the recording begins at the sink's length when
// armed, and the recorder moves back over what it wrote with the sink's Truncate. The sink is the
// owner's: the recorder writes to it and never finishes it; after Stop the owner calls Finish.
//
// Failures: a device that cannot be opened makes Start return false; a sink write that fails (a
// full disk) or a device that stops capturing ends the recording at that point, keeping what was
// written. ErrorText says why, and Stop returns false for such a recording.
//
// Every public call is made on the interface thread, and the notifications arrive there, through
// the message loop given at construction. The worker never calls the notification target.

#include <cstdint>
#include <memory>
#include <string>

#include "audio/sound_sink.h"
#include "core/message_loop.h"
#include "devices/sound_player.h"

namespace sonvara {

class WaveInProvider;

// What the recorder tells its owner. Each call receives the owner's user value first. The default
// implementations do nothing.
class LSoundRecorderNotify {
  public:
    virtual ~LSoundRecorderNotify() = default;
    virtual void EvRecording(std::uint32_t /*user*/) {}
    virtual void EvWaiting(std::uint32_t /*user*/) {}
    virtual void EvStop(std::uint32_t /*user*/) {}
    // The sink position in milliseconds at the end of the last loud block.
    virtual void EvPosition(std::uint32_t /*user*/, std::int32_t /*milliseconds*/) {}
    // Peak levels in dB relative to 131072, full-scale 16-bit input reading about +12.
    virtual void EvLevels(std::uint32_t /*user*/, const SoundLevels& /*levels*/) {}
};

class LSoundRecorder {
  public:
    enum State : std::uint8_t { kStopped = 0, kWaiting = 1, kRecording = 2 };
    // The flags of Start.
    enum StartFlags : int {
        kStartHeld = 1,       // armed, the device not started until Go()
        kStartRecording = 2,  // write from the first block instead of waiting for sound
    };
    static constexpr int kBuffers = 30;

    // `inputs` opens the devices by number; both must outlive the recorder.
    LSoundRecorder(MessageLoop& loop, WaveInProvider& inputs);
    // A recorder still running when it goes is a fault of its owner: the worker and the device
    // are stopped, the sink left as it is (no trim), and a diagnostic names the fault.
    ~LSoundRecorder();
    LSoundRecorder(const LSoundRecorder&) = delete;
    LSoundRecorder& operator=(const LSoundRecorder&) = delete;

    // Records into `sink` at its rate and channel count. `silence_ms`: the quiet that pauses a
    // recording; `threshold_db`: the start threshold; `max_ms`: the sink position that ends the
    // recording (0: none). False when the sink is missing or in error or the device cannot be
    // opened (ErrorText says why); the recorder is stopped then.
    bool Start(LSoundSinkRef sink, int flags, std::int32_t silence_ms, int threshold_db,
               std::int32_t max_ms);
    // Starts the device of a held start.
    void Go();
    // The retake: begins again, WAITING, at the start of the same sink. False when stopped or
    // when the device cannot be opened again (the recording is stopped then).
    bool Restart();
    // Ends the recording: what the device still holds is written, the quiet tail is trimmed, the
    // sink is released. False when the recording failed on the way; ErrorText says why. Nothing
    // happens (true) when stopped.
    bool Stop();

    State GetState() const;
    // The sink position in milliseconds at the end of the last loud block.
    std::int32_t LastLoudTime() const;
    // Why the last recording failed or could not start; empty after a clean one.
    std::string ErrorText() const;
    // How many times the device lost sound during the last recording (or this one): each left a
    // gap in what was recorded.
    int Overruns() const;

    // The input device used by the next Start (the "Device" of section "Recorder"); -1 is the
    // default device.
    void SetDevice(int device);
    int Device() const;

    // Where notifications go (null: nowhere) and the value passed back with them.
    void SetNotify(LSoundRecorderNotify* target, std::uint32_t user = 0);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace sonvara
