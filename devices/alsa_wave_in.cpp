#include "devices/alsa_wave_in.h"

#include <algorithm>
#include <atomic>
#include <cerrno>

#include "devices/alsa_pcm.h"
#include "devices/queued_wave_in.h"

namespace sonvara {
namespace {

// A longer buffer than playback's: the recorder's worker writes to disk between its reads.
constexpr unsigned kCaptureBufferMicroseconds = 200000;

class AlsaWaveIn : public QueuedWaveIn {
  public:
    AlsaWaveIn(AlsaPcm opened, const WaveInFormat& format, LSignalObject& done_event,
               std::int32_t period)
        : QueuedWaveIn(format, done_event, period), opened_(opened), pcm_(opened.pcm) {}
    ~AlsaWaveIn() override { Close(); }
    using QueuedWaveIn::StartReader;

  protected:
    std::int32_t Capture(std::int16_t* data, std::int32_t frames, std::string& error) override {
        const snd_pcm_sframes_t read =
            snd_pcm_readi(pcm_, data, static_cast<snd_pcm_uframes_t>(frames));
        if (read > 0) {
            return static_cast<std::int32_t>(read);
        }
        if (read == 0 || read == -EAGAIN) {
            snd_pcm_wait(pcm_, kAlsaWaitMilliseconds);
            return 0;
        }
        // An overrun or a suspend: prepare again, start again and go on. An overrun lost sound.
        if (read == -EPIPE) {
            overruns_.fetch_add(1, std::memory_order_relaxed);
        }
        const int recovered = snd_pcm_recover(pcm_, static_cast<int>(read), 1);
        if (recovered < 0) {
            error = "Falló la lectura del dispositivo de grabación: " + AlsaText(recovered);
            return -1;
        }
        snd_pcm_start(pcm_);
        return 0;
    }

    void Begin() override {
        if (snd_pcm_state(pcm_) != SND_PCM_STATE_PREPARED) {
            snd_pcm_prepare(pcm_);
        }
        snd_pcm_start(pcm_);
    }

    void Halt() override {
        snd_pcm_drop(pcm_);
        snd_pcm_prepare(pcm_);
    }

    int Overruns() const override { return overruns_.load(std::memory_order_relaxed); }

    std::string CloseDevice() override {
        const int closed = ClosePcm(opened_);
        return closed < 0 ? "No se pudo cerrar el dispositivo de grabación: " + AlsaText(closed)
                          : std::string();
    }

  private:
    AlsaPcm opened_;
    snd_pcm_t* const pcm_;
    std::atomic<int> overruns_{0};
};

std::unique_ptr<WaveIn> StartCapture(AlsaPcm opened, const std::string& name,
                                     const WaveInFormat& format, LSignalObject& done_event,
                                     std::string& error) {
    snd_pcm_uframes_t period = 0;
    bool can_pause = false;
    const std::string problem = ConfigurePcm(opened.pcm, format, kCaptureBufferMicroseconds,
                                             kAlsaPeriodMicroseconds, period, can_pause);
    if (!problem.empty()) {
        ClosePcm(opened);
        error = "No se pudo preparar el dispositivo de grabación \"" + name + "\": " + problem;
        return nullptr;
    }
    auto input = std::make_unique<AlsaWaveIn>(
        opened, format, done_event,
        static_cast<std::int32_t>(std::clamp<snd_pcm_uframes_t>(period, 16, 8192)));
    if (!input->StartReader()) {
        error = "No se pudo iniciar el dispositivo de grabación \"" + name + "\".";
        return nullptr;
    }
    return input;
}

}  // namespace

std::unique_ptr<WaveIn> OpenAlsaWaveIn(const std::string& pcm_name, const WaveInFormat& format,
                                       LSignalObject& done_event, std::string& error) {
    AlsaPcm opened;
    if (!OpenPcm(pcm_name, SND_PCM_STREAM_CAPTURE, nullptr, opened, error)) {
        return nullptr;
    }
    return StartCapture(opened, pcm_name, format, done_event, error);
}

std::unique_ptr<WaveIn> OpenAlsaWaveInWithConfig(const std::string& config_text,
                                                 const std::string& pcm_name,
                                                 const WaveInFormat& format,
                                                 LSignalObject& done_event, std::string& error) {
    AlsaPcm opened;
    if (!OpenPcm(pcm_name, SND_PCM_STREAM_CAPTURE, &config_text, opened, error)) {
        return nullptr;
    }
    return StartCapture(opened, pcm_name, format, done_event, error);
}

std::vector<std::string> AlsaCaptureNames(std::size_t at_most) {
    return AlsaPcmNames("Input", at_most);
}

}  // namespace sonvara
