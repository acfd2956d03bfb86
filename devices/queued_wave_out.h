#pragma once
// QueuedWaveOut: the queue every wave output shares. Write() queues buffers in a fixed ring (no
// allocation while playing); a writer thread of the device hands their frames, a chunk at a time,
// to the backend (Consume), loops a looping buffer until BreakLoop, and marks a buffer done once
// the backend's clock (DevicePlayed) has passed its last frame, signalling the completion event.
//
// Threading: the public calls take the queue lock and may come from any thread. The backend's
// hooks run on the writer thread only, never under the queue lock, so a backend needs no lock of
// its own for the device it drives. Reset waits for a Consume in progress to return, so a Consume
// must not block for long (a few tens of milliseconds at most).
//
// A backend calls StartWriter() at the end of its construction and Close() in its destructor
// (the writer calls its hooks, which must not outlive it).

#include <array>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

#include "core/thread.h"
#include "devices/wave_out.h"

namespace sonvara {

class QueuedWaveOut : public WaveOut {
  public:
    // More than a player ever queues (its ring holds 64).
    static constexpr std::size_t kCapacity = 128;

    bool Write(WaveBuffer& buffer) override;
    void Pause() override;
    void Restart() override;
    void Reset() override;
    void BreakLoop() override;
    std::int64_t PlayedFrames() const override;
    bool IsDone(const WaveBuffer& buffer) const override;
    std::string Failure() const override;
    std::string Close() override;

    const WaveOutFormat& Format() const { return format_; }

  protected:
    // `chunk_frames`: the most frames one Consume is offered.
    QueuedWaveOut(const WaveOutFormat& format, LSignalObject& done_event,
                  std::int32_t chunk_frames);

    // False when the thread cannot be started; the output is then unusable.
    bool StartWriter();

    // Hands up to `frames` frames to the device and returns how many it took. 0: none now (the
    // call waited a little for room). -1: the device failed; `error` says why.
    virtual std::int32_t Consume(const std::int16_t* data, std::int32_t frames,
                                 std::string& error) = 0;
    // Frames the device has played since it was opened, at most the frames it has taken.
    virtual std::int64_t DevicePlayed() = 0;
    // After a Reset: the device drops the sound it holds, so that DevicePlayed equals the frames
    // it has taken.
    virtual void Drop() {}
    // Holds or releases the device's own output on Pause and Restart.
    virtual void Hold(bool /*paused*/) {}
    // Nothing more is queued while sound taken by the device waits to be played: a device that
    // waits for more before it starts must start now.
    virtual void Starve() {}
    // Closes the device, the writer having ended; reports what failed.
    virtual std::string CloseDevice() { return {}; }

  private:
    class Writer : public LThread {
      public:
        explicit Writer(QueuedWaveOut& owner) : owner_(owner) {}
        ~Writer() override { StopThreadTimed(std::chrono::milliseconds(5000)); }

      protected:
        void ThreadFunction() override { owner_.Run(); }

      private:
        QueuedWaveOut& owner_;
    };

    struct Entry {
        WaveBuffer* buffer = nullptr;
        std::int64_t end = 0;  // the device frame after its last frame, once all of it is taken
    };

    void Run();
    // Marks done the entries the device has played; under the lock.
    void Retire();
    // Marks every queued entry done and empties the queue; under the lock.
    void DropQueue();
    Entry& At(std::uint64_t index) { return ring_[index % kCapacity]; }

    const WaveOutFormat format_;
    LSignalObject& done_event_;
    const std::int32_t chunk_frames_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;  // the writer: something to do
    std::condition_variable idle_;  // Reset: the writer left Consume
    // Entries [first_, current_) are taken whole and wait to be played; current_ is being
    // taken (offset_ frames so far); [current_, last_) are queued.
    std::array<Entry, kCapacity> ring_{};
    std::uint64_t first_ = 0, current_ = 0, last_ = 0;
    std::int32_t offset_ = 0;
    std::int64_t taken_ = 0;        // frames the device has taken since it was opened
    std::int64_t played_ = 0;       // of those, played
    std::int64_t origin_ = 0;       // played_ at the last Reset
    std::uint64_t generation_ = 0;  // counts Resets, so a chunk taken across one is dropped
    bool paused_ = false;
    bool held_ = false;  // the pause the device was last told of
    bool break_loop_ = false;
    bool reset_pending_ = false;
    bool busy_ = false;  // the writer is in Consume
    bool closing_ = false;
    bool closed_ = false;
    std::string failure_;
    Writer writer_{*this};
};

}  // namespace sonvara
