#pragma once
// The wave output the player writes to: 16-bit PCM buffers queued in order, each marked done when
// the device has played it, a completion event signalled whenever a buffer is done, and pause,
// restart, reset (every queued buffer done at once, unplayed) and break-loop. A buffer may loop:
// the device plays it again and again until BreakLoop, then goes on with the next.
//
// Threading: every call may come from any thread, though a player makes them from its interface
// thread and its worker. The device plays on a thread of its own and never calls back; it only
// sets `done` flags (under its lock) and signals the completion event.
//
// Backends: ALSA (the "default" PCM or any other by name), a null output paced by the clock for
// machines without sound, and a recording output for tests. A WaveOutProvider numbers the devices
// a user can choose from and opens them.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/signal_object.h"
#include "devices/device_list.h"

namespace sonvara {

struct WaveOutFormat {
    std::int32_t sample_rate = 44100;
    int channels = 1;  // 16-bit samples, interleaved
};

// One queued buffer. The player owns the memory; the device reads `data` until it sets `done`.
struct WaveBuffer {
    const std::int16_t* data = nullptr;
    std::int32_t frames = 0;
    bool loop = false;  // play again and again until BreakLoop
    bool done = true;   // set by the device (any thread), read under the device's lock
    // Set with `done` when the buffer was played to its end: PlayedFrames() at its last frame.
    std::int64_t done_at = 0;
};

class WaveOut {
  public:
    virtual ~WaveOut() = default;
    // Queues `buffer` (its `done` is cleared). False when the device has failed or its queue is
    // full; the buffer then stays done.
    virtual bool Write(WaveBuffer& buffer) = 0;
    // Holds playback where it is; queued buffers wait. Reset does not end a pause.
    virtual void Pause() = 0;
    virtual void Restart() = 0;
    // Drops everything queued, and the sound the device holds beyond it; every queued buffer is
    // done when this returns and the device no longer reads any of them.
    virtual void Reset() = 0;
    // A looping buffer ends after its current pass.
    virtual void BreakLoop() = 0;
    // Frames played since the device was opened or last reset (the device's clock; a looping
    // buffer counts each pass).
    virtual std::int64_t PlayedFrames() const = 0;
    // Whether `buffer` is done; the device's lock is taken, so the worker may ask at any time.
    virtual bool IsDone(const WaveBuffer& buffer) const = 0;
    // Why the device stopped playing (a write the system refused), empty while it works. The
    // completion event is signalled when it fails; queued buffers then stay with the device.
    virtual std::string Failure() const = 0;
    // Stops and closes the device: when it returns the device no longer touches any buffer and
    // every buffer is done. Reports what failed, if anything (empty: closed cleanly).
    virtual std::string Close() = 0;
};

class WaveOutProvider : public DeviceList {
  public:
    // Opens device `number` (-1: the default device) for `format`, signalling `done_event`
    // whenever a buffer becomes done. Null when the device cannot be opened; `error` then says why.
    virtual std::unique_ptr<WaveOut> Open(int number, const WaveOutFormat& format,
                                          LSignalObject& done_event, std::string& error) = 0;
};

}  // namespace sonvara
