#include "devices/queued_wave_out.h"

#include <algorithm>

namespace sonvara {
namespace {

// How long the writer sleeps when it has nothing to do before it looks at the device's clock
// again (the clock moves while the device plays what it holds).
constexpr auto kWriterIdleWait = std::chrono::milliseconds(5);

}  // namespace

QueuedWaveOut::QueuedWaveOut(const WaveOutFormat& format, LSignalObject& done_event,
                             std::int32_t chunk_frames)
    : format_(format), done_event_(done_event), chunk_frames_(std::max(chunk_frames, 1)) {}

bool QueuedWaveOut::StartWriter() {
    // The device thread must never miss its turn: the highest priority the user may have.
    return writer_.Start(ThreadPriority::kTimeCritical);
}

bool QueuedWaveOut::Write(WaveBuffer& buffer) {
    {
        std::lock_guard lock(mutex_);
        if (!failure_.empty() || closing_ || last_ - first_ >= kCapacity) {
            return false;
        }
        buffer.done = false;
        At(last_) = Entry{&buffer, 0};
        ++last_;
    }
    wake_.notify_all();
    return true;
}

void QueuedWaveOut::Pause() {
    std::lock_guard lock(mutex_);
    paused_ = true;
}

void QueuedWaveOut::Restart() {
    {
        std::lock_guard lock(mutex_);
        paused_ = false;
    }
    wake_.notify_all();
}

void QueuedWaveOut::Reset() {
    {
        std::unique_lock lock(mutex_);
        ++generation_;
        DropQueue();
        break_loop_ = false;
        reset_pending_ = true;
        wake_.notify_all();
        idle_.wait(lock, [this] { return !busy_; });
    }
    done_event_.Signal();
}

void QueuedWaveOut::BreakLoop() {
    std::lock_guard lock(mutex_);
    if (current_ != last_ && At(current_).buffer->loop) {
        break_loop_ = true;
    }
}

std::int64_t QueuedWaveOut::PlayedFrames() const {
    std::lock_guard lock(mutex_);
    return reset_pending_ ? 0 : played_ - origin_;
}

bool QueuedWaveOut::IsDone(const WaveBuffer& buffer) const {
    std::lock_guard lock(mutex_);
    return buffer.done;
}

std::string QueuedWaveOut::Failure() const {
    std::lock_guard lock(mutex_);
    return failure_;
}

std::string QueuedWaveOut::Close() {
    {
        std::lock_guard lock(mutex_);
        if (closed_) {
            return {};
        }
        closed_ = closing_ = true;
    }
    wake_.notify_all();
    writer_.StopThreadTimed(std::chrono::milliseconds(5000));
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

void QueuedWaveOut::DropQueue() {
    for (std::uint64_t i = first_; i != last_; ++i) {
        At(i).buffer->done = true;
    }
    first_ = current_ = last_;
    offset_ = 0;
}

void QueuedWaveOut::Retire() {
    bool any = false;
    while (first_ != current_ && At(first_).end <= played_) {
        At(first_).buffer->done = true;
        At(first_).buffer->done_at = At(first_).end - origin_;
        ++first_;
        any = true;
    }
    if (any) {
        done_event_.Signal();
    }
}

void QueuedWaveOut::Run() {
    std::unique_lock lock(mutex_);
    while (!closing_) {
        if (reset_pending_) {
            lock.unlock();
            Drop();
            lock.lock();
            played_ = taken_;
            origin_ = taken_;
            reset_pending_ = false;
            continue;
        }
        if (held_ != paused_) {
            held_ = paused_;
            const bool hold = held_;
            lock.unlock();
            Hold(hold);
            lock.lock();
            continue;
        }
        lock.unlock();
        const std::int64_t device_played = DevicePlayed();
        lock.lock();
        if (!reset_pending_) {
            played_ = std::max(played_, std::min(device_played, taken_));
            Retire();
        }
        if (paused_ || reset_pending_ || current_ == last_) {
            if (!paused_ && first_ != current_) {
                lock.unlock();
                Starve();
                lock.lock();
            }
            wake_.wait_for(lock, kWriterIdleWait);
            continue;
        }

        WaveBuffer& buffer = *At(current_).buffer;
        const std::int32_t frames = std::min(buffer.frames - offset_, chunk_frames_);
        std::int32_t taken = 0;
        std::string error;
        if (frames > 0) {
            const std::int16_t* data =
                buffer.data + static_cast<std::ptrdiff_t>(offset_) * format_.channels;
            const std::uint64_t generation = generation_;
            busy_ = true;
            lock.unlock();
            taken = Consume(data, frames, error);
            lock.lock();
            busy_ = false;
            idle_.notify_all();
            if (taken < 0) {
                failure_ = error.empty() ? "write failed" : error;
                done_event_.Signal();
                break;
            }
            taken_ += taken;
            if (generation != generation_) {
                continue;  // a Reset dropped the buffer meanwhile
            }
            offset_ += taken;
        }
        if (offset_ >= buffer.frames) {
            offset_ = 0;
            if (buffer.loop && !break_loop_ && buffer.frames > 0) {
                continue;
            }
            break_loop_ = false;
            At(current_).end = taken_;
            ++current_;
        }
    }
    busy_ = false;
    idle_.notify_all();
}

}  // namespace sonvara
