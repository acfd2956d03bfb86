#include "devices/alsa_wave_out.h"

#include <algorithm>
#include <cerrno>

#include "devices/alsa_pcm.h"
#include "devices/queued_wave_out.h"

namespace sonvara {
namespace {

constexpr unsigned kPlaybackBufferMicroseconds = 80000;

class AlsaWaveOut : public QueuedWaveOut {
  public:
    AlsaWaveOut(AlsaPcm opened, const WaveOutFormat& format, LSignalObject& done_event,
                std::int32_t period, bool can_pause)
        : QueuedWaveOut(format, done_event, period),
          opened_(opened),
          pcm_(opened.pcm),
          can_pause_(can_pause) {}
    ~AlsaWaveOut() override { Close(); }
    using QueuedWaveOut::StartWriter;

  protected:
    std::int32_t Consume(const std::int16_t* data, std::int32_t frames,
                         std::string& error) override {
        const snd_pcm_sframes_t written =
            snd_pcm_writei(pcm_, data, static_cast<snd_pcm_uframes_t>(frames));
        if (written >= 0) {
            written_ += written;
            return static_cast<std::int32_t>(written);
        }
        if (written == -EAGAIN) {
            snd_pcm_wait(pcm_, kAlsaWaitMilliseconds);
            return 0;
        }
        // An underrun (the queue ran dry, a pause without the device's own pause) or a suspend:
        // prepare again and go on.
        const int recovered = snd_pcm_recover(pcm_, static_cast<int>(written), 1);
        if (recovered < 0) {
            error = "Falló la escritura en el dispositivo de sonido: " + AlsaText(recovered);
            return -1;
        }
        return 0;
    }

    std::int64_t DevicePlayed() override {
        snd_pcm_sframes_t delay = 0;
        const snd_pcm_state_t state = snd_pcm_state(pcm_);
        if ((state != SND_PCM_STATE_RUNNING && state != SND_PCM_STATE_PAUSED &&
             state != SND_PCM_STATE_PREPARED) ||
            snd_pcm_delay(pcm_, &delay) < 0) {
            return written_;  // stopped or underrun: everything written has been played
        }
        return written_ - std::clamp<std::int64_t>(delay, 0, written_);
    }

    void Drop() override {
        snd_pcm_drop(pcm_);
        snd_pcm_prepare(pcm_);
    }

    void Hold(bool paused) override {
        if (!can_pause_) {
            return;  // the device plays out what it holds and underruns; Consume recovers
        }
        const snd_pcm_state_t state = snd_pcm_state(pcm_);
        if (paused && state == SND_PCM_STATE_RUNNING) {
            snd_pcm_pause(pcm_, 1);
        } else if (!paused && state == SND_PCM_STATE_PAUSED) {
            snd_pcm_pause(pcm_, 0);
        }
    }

    void Starve() override {
        if (snd_pcm_state(pcm_) == SND_PCM_STATE_PREPARED) {
            snd_pcm_start(pcm_);
        }
    }

    std::string CloseDevice() override {
        const int closed = ClosePcm(opened_);
        return closed < 0 ? "No se pudo cerrar el dispositivo de sonido: " + AlsaText(closed)
                          : std::string();
    }

  private:
    AlsaPcm opened_;
    snd_pcm_t* const pcm_;
    const bool can_pause_;
    std::int64_t written_ = 0;  // writer thread only
};

// Takes over `opened`: sets it up and starts its writer, or closes it.
std::unique_ptr<WaveOut> StartPlayback(AlsaPcm opened, const std::string& name,
                                       const WaveOutFormat& format, LSignalObject& done_event,
                                       std::string& error) {
    snd_pcm_uframes_t period = 0;
    bool can_pause = false;
    const std::string problem = ConfigurePcm(opened.pcm, format, kPlaybackBufferMicroseconds,
                                             kAlsaPeriodMicroseconds, period, can_pause);
    if (!problem.empty()) {
        ClosePcm(opened);
        error = "No se pudo preparar el dispositivo de sonido \"" + name + "\": " + problem;
        return nullptr;
    }
    auto output = std::make_unique<AlsaWaveOut>(
        opened, format, done_event,
        static_cast<std::int32_t>(std::clamp<snd_pcm_uframes_t>(period, 16, 8192)), can_pause);
    if (!output->StartWriter()) {
        error = "No se pudo iniciar el dispositivo de sonido \"" + name + "\".";
        return nullptr;
    }
    return output;
}

}  // namespace

std::unique_ptr<WaveOut> OpenAlsaWaveOut(const std::string& pcm_name, const WaveOutFormat& format,
                                         LSignalObject& done_event, std::string& error) {
    AlsaPcm opened;
    if (!OpenPcm(pcm_name, SND_PCM_STREAM_PLAYBACK, nullptr, opened, error)) {
        return nullptr;
    }
    return StartPlayback(opened, pcm_name, format, done_event, error);
}

std::unique_ptr<WaveOut> OpenAlsaWaveOutWithConfig(const std::string& config_text,
                                                   const std::string& pcm_name,
                                                   const WaveOutFormat& format,
                                                   LSignalObject& done_event, std::string& error) {
    AlsaPcm opened;
    if (!OpenPcm(pcm_name, SND_PCM_STREAM_PLAYBACK, &config_text, opened, error)) {
        return nullptr;
    }
    return StartPlayback(opened, pcm_name, format, done_event, error);
}

std::vector<std::string> AlsaPlaybackNames(std::size_t at_most) {
    return AlsaPcmNames("Output", at_most);
}

}  // namespace sonvara
