#include "devices/recording_wave_out.h"

#include <algorithm>

#include "devices/clock_pacer.h"
#include "devices/queued_wave_out.h"

namespace sonvara {
namespace {

// How long a stalled or stepped output waits for leave before it lets the writer look around.
constexpr auto kTakeWait = std::chrono::milliseconds(10);

}  // namespace

class RecordingWaveOut : public QueuedWaveOut {
  public:
    RecordingWaveOut(std::shared_ptr<WaveRecording> recording, const WaveOutFormat& format,
                     LSignalObject& done_event)
        : QueuedWaveOut(format, done_event, std::max(format.sample_rate / 100, 1)),
          recording_(std::move(recording)),
          pacer_(format.sample_rate) {}
    ~RecordingWaveOut() override { Close(); }
    using QueuedWaveOut::StartWriter;

  protected:
    std::int32_t Consume(const std::int16_t* data, std::int32_t frames,
                         std::string& error) override {
        if (recording_->pace_ == WaveRecording::Pace::kClock) {
            pacer_.Pace(frames);
        }
        const std::int32_t taken = recording_->Take(data, frames, Format().channels, error);
        played_ += std::max(taken, 0);
        return taken;
    }
    std::int64_t DevicePlayed() override { return played_; }

  private:
    std::shared_ptr<WaveRecording> recording_;
    ClockPacer pacer_;
    std::int64_t played_ = 0;  // writer thread only
};

WaveRecording::WaveRecording(Pace pace, std::size_t sample_limit)
    : pace_(pace), sample_limit_(sample_limit) {}

bool WaveRecording::Step(std::int64_t frames, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    allowance_ += frames;
    changed_.notify_all();
    return changed_.wait_for(lock, timeout, [this] { return allowance_ == 0; });
}

bool WaveRecording::WaitForFrames(std::int64_t frames, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return frames_ >= frames; });
}

void WaveRecording::SetStalled(bool stalled) {
    std::lock_guard lock(mutex_);
    stalled_ = stalled;
    changed_.notify_all();
}

void WaveRecording::SetFailing(bool failing) {
    std::lock_guard lock(mutex_);
    failing_ = failing;
    changed_.notify_all();
}

void WaveRecording::SetRefusingOpen(bool refusing) {
    std::lock_guard lock(mutex_);
    refusing_open_ = refusing;
}

std::vector<std::int16_t> WaveRecording::Samples() const {
    std::lock_guard lock(mutex_);
    return samples_;
}

std::int64_t WaveRecording::Frames() const {
    std::lock_guard lock(mutex_);
    return frames_;
}

void WaveRecording::Clear() {
    std::lock_guard lock(mutex_);
    samples_.clear();
    frames_ = 0;
}

WaveOutFormat WaveRecording::Format() const {
    std::lock_guard lock(mutex_);
    return format_;
}

int WaveRecording::Opens() const {
    std::lock_guard lock(mutex_);
    return opens_;
}

std::int32_t WaveRecording::Take(const std::int16_t* data, std::int32_t frames, int channels,
                                 std::string& error) {
    std::unique_lock lock(mutex_);
    if (failing_) {
        error = "La grabación de prueba rechazó la escritura.";
        return -1;
    }
    if (stalled_) {
        changed_.wait_for(lock, kTakeWait);
        return 0;
    }
    std::int32_t taken = frames;
    if (pace_ == Pace::kStepped) {
        if (!changed_.wait_for(lock, kTakeWait, [this] { return allowance_ > 0; })) {
            return 0;
        }
        taken = static_cast<std::int32_t>(std::min<std::int64_t>(frames, allowance_));
        allowance_ -= taken;
    }
    const std::size_t samples =
        static_cast<std::size_t>(taken) * static_cast<std::size_t>(channels);
    const std::size_t room = sample_limit_ - std::min(sample_limit_, samples_.size());
    samples_.insert(samples_.end(), data, data + std::min(samples, room));
    frames_ += taken;
    changed_.notify_all();
    return taken;
}

bool WaveRecording::Opened(const WaveOutFormat& format, std::string& error) {
    std::lock_guard lock(mutex_);
    if (refusing_open_) {
        error = "La grabación de prueba no se deja abrir.";
        return false;
    }
    format_ = format;
    ++opens_;
    return true;
}

RecordingWaveOutProvider::RecordingWaveOutProvider(std::shared_ptr<WaveRecording> recording)
    : recording_(std::move(recording)) {}

std::unique_ptr<WaveOut> RecordingWaveOutProvider::Open(int number, const WaveOutFormat& format,
                                                        LSignalObject& done_event,
                                                        std::string& error) {
    if (number != 0 && number != -1) {
        error = "No existe el dispositivo de sonido número " + std::to_string(number) + ".";
        return nullptr;
    }
    if (!recording_->Opened(format, error)) {
        return nullptr;
    }
    auto output = std::make_unique<RecordingWaveOut>(recording_, format, done_event);
    if (!output->StartWriter()) {
        error = "No se pudo iniciar la grabación de prueba.";
        return nullptr;
    }
    return output;
}

}  // namespace sonvara
