#include "devices/file_wave_in.h"

#include <algorithm>
#include <cstring>
#include <thread>

#include "audio/wav/wave_file.h"
#include "devices/clock_pacer.h"
#include "devices/queued_wave_in.h"

namespace sonvara {

class FileWaveIn : public QueuedWaveIn {
  public:
    // Chunks of 10 ms, as the null input.
    FileWaveIn(std::shared_ptr<CapturedSound> sound, LSignalObject& done_event)
        : QueuedWaveIn(sound->Format(), done_event, std::max(sound->Format().sample_rate / 100, 1)),
          sound_(std::move(sound)),
          pacer_(sound_->Format().sample_rate) {}
    ~FileWaveIn() override { Close(); }
    using QueuedWaveIn::StartReader;

  protected:
    std::int32_t Capture(std::int16_t* data, std::int32_t frames, std::string& error) override {
        if (sound_->pace_ == CapturedSound::Pace::kClock) {
            pacer_.Pace(frames);
        }
        const std::int32_t taken = sound_->Take(data, frames, error);
        if (taken == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return taken;
    }

  private:
    std::shared_ptr<CapturedSound> sound_;
    ClockPacer pacer_;
};

CapturedSound::CapturedSound(std::vector<std::int16_t> samples, const WaveInFormat& format,
                             Pace pace)
    : samples_(std::move(samples)), format_(format), pace_(pace) {}

std::shared_ptr<CapturedSound> CapturedSound::FromWave(const std::string& path, Pace pace,
                                                       std::string& error) {
    LSoundSourceRef source = LWaveFile::OpenSource(path);
    if (source->IsError()) {
        error = "No se puede leer \"" + path + "\" como archivo WAV.";
        return nullptr;
    }
    const int channels = source->GetChannels();
    std::vector<Sample> block(static_cast<std::size_t>(kBlockFrames) * channels);
    std::vector<std::int16_t> samples;
    while (source->GetPosition() < source->GetLength()) {
        const std::int32_t frames =
            std::min(kBlockFrames, source->GetLength() - source->GetPosition());
        source->Read(block.data(), frames);
        for (std::size_t i = 0; i < static_cast<std::size_t>(frames) * channels; ++i) {
            samples.push_back(SampleTo16(block[i]));
        }
    }
    return std::make_shared<CapturedSound>(std::move(samples),
                                           WaveInFormat{source->GetSampleRate(), channels}, pace);
}

std::int64_t CapturedSound::Delivered() const {
    std::lock_guard lock(mutex_);
    return delivered_;
}

bool CapturedSound::WaitForDelivered(std::int64_t frames, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return delivered_ >= frames; });
}

void CapturedSound::SetRefusingOpen(bool refusing) {
    std::lock_guard lock(mutex_);
    refusing_open_ = refusing;
}

void CapturedSound::SetFailingAfter(std::int64_t frames) {
    std::lock_guard lock(mutex_);
    failing_after_ = frames;
}

bool CapturedSound::Opened(const WaveInFormat& format, std::string& error) {
    std::lock_guard lock(mutex_);
    if (refusing_open_) {
        error = "El dispositivo de grabación de prueba no se deja abrir.";
        return false;
    }
    if (format.sample_rate != format_.sample_rate || format.channels != format_.channels) {
        error = "La entrada de prueba solo graba a " + std::to_string(format_.sample_rate) +
                " Hz con " + std::to_string(format_.channels) + " canal(es).";
        return false;
    }
    delivered_ = 0;
    return true;
}

std::int32_t CapturedSound::Take(std::int16_t* data, std::int32_t frames, std::string& error) {
    std::int64_t from = 0;
    {
        std::lock_guard lock(mutex_);
        if (failing_after_ >= 0 && delivered_ >= failing_after_) {
            error = "La entrada de prueba dejó de leer.";
            return -1;
        }
        from = delivered_;
    }
    const std::int64_t left = std::max<std::int64_t>(Frames() - from, 0);
    if (pace_ == Pace::kUnpaced) {
        frames = static_cast<std::int32_t>(std::min<std::int64_t>(frames, left));
    }
    const auto channels = static_cast<std::size_t>(format_.channels);
    const auto present = static_cast<std::size_t>(std::min<std::int64_t>(frames, left));
    if (present > 0) {
        std::memcpy(data, samples_.data() + static_cast<std::size_t>(from) * channels,
                    present * channels * sizeof(std::int16_t));
    }
    std::fill(data + present * channels, data + static_cast<std::size_t>(frames) * channels,
              std::int16_t{0});
    {
        std::lock_guard lock(mutex_);
        delivered_ += frames;
    }
    changed_.notify_all();
    return frames;
}

FileWaveInProvider::FileWaveInProvider(std::shared_ptr<CapturedSound> sound)
    : sound_(std::move(sound)) {}

std::unique_ptr<WaveIn> FileWaveInProvider::Open(int number, const WaveInFormat& format,
                                                 LSignalObject& done_event, std::string& error) {
    if (number != 0 && number != -1) {
        error = "No existe el dispositivo de grabación número " + std::to_string(number) + ".";
        return nullptr;
    }
    if (!sound_->Opened(format, error)) {
        return nullptr;
    }
    auto input = std::make_unique<FileWaveIn>(sound_, done_event);
    if (!input->StartReader()) {
        error = "No se pudo iniciar la entrada de prueba.";
        return nullptr;
    }
    return input;
}

}  // namespace sonvara
