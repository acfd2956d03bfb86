#pragma once
// QueuedWaveIn: the queue every wave input shares. Add() queues buffers in a fixed ring (no
// allocation while capturing); a reader thread of the device asks the backend for frames, a chunk
// at a time (Capture), fills the oldest queued buffer and marks it done when it is full,
// signalling the completion event.
//
// Threading: the public calls take the queue lock and may come from any thread. The backend's
// hooks run on the reader thread only, never under the queue lock. Reset waits for a Capture in
// progress to return, so a Capture must not block for long (a few tens of milliseconds at most).
//
// A backend calls StartReader() at the end of its construction and Close() in its destructor.

#include <array>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

#include "core/thread.h"
#include "devices/wave_in.h"

namespace sonvara {

class QueuedWaveIn : public WaveIn {
  public:
    // More than a recorder ever queues (its ring holds 30).
    static constexpr std::size_t kCapacity = 64;

    bool Add(WaveInBuffer& buffer) override;
    void Start() override;
    void Reset() override;
    bool IsDone(const WaveInBuffer& buffer) const override;
    std::string Failure() const override;
    std::string Close() override;

    const WaveInFormat& Format() const { return format_; }

  protected:
    // `chunk_frames`: the most frames one Capture is asked for.
    QueuedWaveIn(const WaveInFormat& format, LSignalObject& done_event, std::int32_t chunk_frames);

    // False when the thread cannot be started; the input is then unusable.
    bool StartReader();

    // Fills up to `frames` frames at `data` and returns how many it filled. 0: none now (the call
    // waited a little for sound). -1: the device failed; `error` says why.
    virtual std::int32_t Capture(std::int16_t* data, std::int32_t frames, std::string& error) = 0;
    // The device starts capturing (Start).
    virtual void Begin() {}
    // The device stops capturing and drops what it holds (Reset).
    virtual void Halt() {}
    // Closes the device, the reader having ended; reports what failed.
    virtual std::string CloseDevice() { return {}; }

  private:
    class Reader : public LThread {
      public:
        explicit Reader(QueuedWaveIn& owner) : owner_(owner) {}
        ~Reader() override { StopThreadTimed(std::chrono::milliseconds(5000)); }

      protected:
        void ThreadFunction() override { owner_.Run(); }

      private:
        QueuedWaveIn& owner_;
    };

    void Run();
    // Marks every queued buffer done and empties the queue; under the lock.
    void DropQueue();
    WaveInBuffer*& At(std::uint64_t index) { return ring_[index % kCapacity]; }

    const WaveInFormat format_;
    LSignalObject& done_event_;
    const std::int32_t chunk_frames_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;                 // the reader: something to do
    std::condition_variable idle_;                 // Reset: the reader left Capture
    std::array<WaveInBuffer*, kCapacity> ring_{};  // [first_, last_) queued, first_ being filled
    std::uint64_t first_ = 0, last_ = 0;
    bool capturing_ = false;  // between Start and Reset
    bool started_ = false;    // the state the device was last told of
    bool busy_ = false;       // the reader is in Capture
    bool closing_ = false;
    bool closed_ = false;
    std::string failure_;
    Reader reader_{*this};
};

}  // namespace sonvara
