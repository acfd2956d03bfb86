#include "devices/queued_wave_in.h"

#include <algorithm>

namespace sonvara {
namespace {

// How long the reader sleeps when it has no buffer to fill or is not capturing.
constexpr auto kReaderIdleWait = std::chrono::milliseconds(5);

}  // namespace

QueuedWaveIn::QueuedWaveIn(const WaveInFormat& format, LSignalObject& done_event,
                           std::int32_t chunk_frames)
    : format_(format), done_event_(done_event), chunk_frames_(std::max(chunk_frames, 1)) {}

bool QueuedWaveIn::StartReader() {
    // A capture that misses its turn loses sound: the highest priority the user may have.
    return reader_.Start(ThreadPriority::kTimeCritical);
}

bool QueuedWaveIn::Add(WaveInBuffer& buffer) {
    {
        std::lock_guard lock(mutex_);
        if (!failure_.empty() || closing_ || last_ - first_ >= kCapacity) {
            return false;
        }
        buffer.done = false;
        buffer.recorded = 0;
        At(last_) = &buffer;
        ++last_;
    }
    wake_.notify_all();
    return true;
}

void QueuedWaveIn::Start() {
    {
        std::lock_guard lock(mutex_);
        capturing_ = true;
    }
    wake_.notify_all();
}

void QueuedWaveIn::Reset() {
    {
        std::unique_lock lock(mutex_);
        capturing_ = false;  // the chunk being captured still goes into its buffer
        idle_.wait(lock, [this] { return !busy_; });
        DropQueue();
    }
    wake_.notify_all();
    done_event_.Signal();
}

bool QueuedWaveIn::IsDone(const WaveInBuffer& buffer) const {
    std::lock_guard lock(mutex_);
    return buffer.done;
}

std::string QueuedWaveIn::Failure() const {
    std::lock_guard lock(mutex_);
    return failure_;
}

std::string QueuedWaveIn::Close() {
    {
        std::unique_lock lock(mutex_);
        if (closed_) {
            return {};
        }
        closed_ = closing_ = true;
        capturing_ = false;
    }
    wake_.notify_all();
    reader_.StopThreadTimed(std::chrono::milliseconds(5000));
    std::string failure;
    {
        std::lock_guard lock(mutex_);
        DropQueue();
        failure = failure_;
    }
    done_event_.Signal();
    std::string closing = CloseDevice();
    return failure.empty() ? closing : failure;
}

void QueuedWaveIn::DropQueue() {
    for (std::uint64_t i = first_; i != last_; ++i) {
        At(i)->done = true;
    }
    first_ = last_;
}

void QueuedWaveIn::Run() {
    std::unique_lock lock(mutex_);
    while (!closing_) {
        if (started_ != capturing_) {
            started_ = capturing_;
            const bool start = started_;
            lock.unlock();
            if (start) {
                Begin();
            } else {
                Halt();
            }
            lock.lock();
            continue;
        }
        if (!capturing_ || first_ == last_) {
            wake_.wait_for(lock, kReaderIdleWait);
            continue;
        }
        WaveInBuffer& buffer = *At(first_);
        const std::int32_t frames = std::min(buffer.frames - buffer.recorded, chunk_frames_);
        std::int16_t* data =
            buffer.data + static_cast<std::ptrdiff_t>(buffer.recorded) * format_.channels;
        busy_ = true;
        lock.unlock();
        std::string error;
        const std::int32_t captured = frames > 0 ? Capture(data, frames, error) : 0;
        lock.lock();
        busy_ = false;
        idle_.notify_all();
        if (captured < 0) {
            failure_ = error.empty() ? "read failed" : error;
            done_event_.Signal();
            break;
        }
        buffer.recorded += captured;
        if (buffer.recorded >= buffer.frames) {
            buffer.done = true;
            ++first_;
            done_event_.Signal();
        }
    }
    busy_ = false;
    idle_.notify_all();
}

}  // namespace sonvara
