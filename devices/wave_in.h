#pragma once
// The wave input the recorder reads from: 16-bit PCM buffers queued in order, which the device
// fills one after the other and marks done when full, signalling a completion event each time.
// Start begins the capture; Reset ends it and hands every queued buffer back at once, the one
// being filled with the frames it holds (`recorded`), the others empty.
//
// Threading: every call may come from any thread (a recorder makes them from its interface thread
// and its worker). The device fills buffers on a thread of its own and never calls back; it sets
// `recorded` and `done` under its lock, so a buffer that IsDone reports done may be read at once.
//
// Backends: ALSA capture (the "default" PCM or any other by name), a null input that delivers
// silence paced by the clock, and an input that plays a file in as if captured, for tests. A
// WaveInProvider numbers the devices a user can choose from and opens them.

#include <cstdint>
#include <memory>
#include <string>

#include "core/signal_object.h"
#include "devices/device_list.h"
#include "devices/wave_out.h"

namespace sonvara {

// The same shape as an output's: a rate and a count of interleaved 16-bit channels.
using WaveInFormat = WaveOutFormat;

// One queued buffer. The recorder owns the memory; the device writes `data` until it sets `done`.
struct WaveInBuffer {
    std::int16_t* data = nullptr;
    std::int32_t frames = 0;    // room for this many frames
    std::int32_t recorded = 0;  // frames filled, set with `done`
    bool done = true;
};

class WaveIn {
  public:
    virtual ~WaveIn() = default;
    // Queues `buffer` to be filled (its `done` and `recorded` are cleared). False when the device
    // has failed or its queue is full; the buffer then stays done.
    virtual bool Add(WaveInBuffer& buffer) = 0;
    // Begins (or after a Reset, begins again) to fill the queued buffers.
    virtual void Start() = 0;
    // Stops the capture and drops the sound the device holds; every queued buffer is done when
    // this returns, in the order they were queued, and the device no longer writes to any.
    virtual void Reset() = 0;
    virtual bool IsDone(const WaveInBuffer& buffer) const = 0;
    // Why the device stopped capturing (a read the system refused), empty while it works. The
    // completion event is signalled when it fails.
    virtual std::string Failure() const = 0;
    // How many times the device lost sound because it was not read in time (the machine or the
    // disk fell behind by more than the buffers): each leaves a gap. Any thread may ask.
    virtual int Overruns() const { return 0; }
    // Stops and closes the device: afterwards it touches no buffer and every buffer is done.
    // Reports what failed, if anything (empty: closed cleanly).
    virtual std::string Close() = 0;
};

class WaveInProvider : public DeviceList {
  public:
    // Opens input `number` (-1: the default device) for `format`, signalling `done_event`
    // whenever a buffer becomes done. Null when the device cannot be opened; `error` says why.
    virtual std::unique_ptr<WaveIn> Open(int number, const WaveInFormat& format,
                                         LSignalObject& done_event, std::string& error) = 0;
};

}  // namespace sonvara
