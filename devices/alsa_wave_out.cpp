#include "devices/alsa_wave_out.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "devices/queued_wave_out.h"

namespace sonvara {
namespace {

constexpr unsigned kBufferMicroseconds = 80000;
constexpr unsigned kPeriodMicroseconds = 20000;
constexpr int kWaitMilliseconds = 10;

void IgnoreAlsaMessage(const char* /*file*/, int /*line*/, const char* /*function*/, int /*err*/,
                       const char* /*format*/, ...) {}

std::string AlsaText(int error) {
    return snd_strerror(error);
}

class AlsaWaveOut : public QueuedWaveOut {
  public:
    AlsaWaveOut(snd_pcm_t* pcm, snd_config_t* config, const WaveOutFormat& format,
                LSignalObject& done_event, std::int32_t period, bool can_pause)
        : QueuedWaveOut(format, done_event, period),
          pcm_(pcm),
          config_(config),
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
            snd_pcm_wait(pcm_, kWaitMilliseconds);
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
        std::string error;
        if (pcm_ != nullptr) {
            const int closed = snd_pcm_close(pcm_);
            pcm_ = nullptr;
            if (closed < 0) {
                error = "No se pudo cerrar el dispositivo de sonido: " + AlsaText(closed);
            }
        }
        if (config_ != nullptr) {
            snd_config_delete(config_);
            config_ = nullptr;
        }
        return error;
    }

  private:
    snd_pcm_t* pcm_;
    snd_config_t* config_;  // the private configuration the PCM was opened from, if any
    const bool can_pause_;
    std::int64_t written_ = 0;  // writer thread only
};

// Sets the PCM up for `format`; an empty result means success.
std::string Configure(snd_pcm_t* pcm, const WaveOutFormat& format, snd_pcm_uframes_t& period,
                      bool& can_pause) {
    snd_pcm_hw_params_t* hw = nullptr;
    snd_pcm_hw_params_alloca(&hw);
    unsigned buffer_time = kBufferMicroseconds;
    unsigned period_time = kPeriodMicroseconds;
    const auto rate = static_cast<unsigned>(format.sample_rate);
    int result = snd_pcm_hw_params_any(pcm, hw);
    if (result >= 0) {
        result = snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED);
    }
    if (result >= 0) {
        result = snd_pcm_hw_params_set_format(pcm, hw, SND_PCM_FORMAT_S16_LE);
    }
    if (result >= 0) {
        result = snd_pcm_hw_params_set_channels(pcm, hw, static_cast<unsigned>(format.channels));
    }
    if (result < 0) {
        return "el dispositivo no reproduce " + std::to_string(format.channels) +
               " canal(es) de 16 bits: " + AlsaText(result);
    }
    snd_pcm_hw_params_set_rate_resample(pcm, hw, 1);
    result = snd_pcm_hw_params_set_rate(pcm, hw, rate, 0);
    if (result < 0) {
        return "el dispositivo no reproduce a " + std::to_string(format.sample_rate) +
               " Hz: " + AlsaText(result);
    }
    snd_pcm_hw_params_set_buffer_time_near(pcm, hw, &buffer_time, nullptr);
    snd_pcm_hw_params_set_period_time_near(pcm, hw, &period_time, nullptr);
    result = snd_pcm_hw_params(pcm, hw);
    if (result < 0) {
        return AlsaText(result);
    }
    snd_pcm_hw_params_get_period_size(hw, &period, nullptr);
    can_pause = snd_pcm_hw_params_can_pause(hw) != 0;

    snd_pcm_sw_params_t* sw = nullptr;
    snd_pcm_sw_params_alloca(&sw);
    result = snd_pcm_sw_params_current(pcm, sw);
    if (result >= 0) {
        result = snd_pcm_sw_params_set_start_threshold(pcm, sw, period);
    }
    if (result >= 0) {
        result = snd_pcm_sw_params_set_avail_min(pcm, sw, period);
    }
    if (result >= 0) {
        result = snd_pcm_sw_params(pcm, sw);
    }
    return result < 0 ? AlsaText(result) : std::string();
}

// Takes over `pcm` (and `config`): sets it up and starts its writer, or closes it.
std::unique_ptr<WaveOut> Finish(snd_pcm_t* pcm, snd_config_t* config, const std::string& name,
                                const WaveOutFormat& format, LSignalObject& done_event,
                                std::string& error) {
    snd_pcm_uframes_t period = 0;
    bool can_pause = false;
    std::string problem = Configure(pcm, format, period, can_pause);
    if (!problem.empty()) {
        snd_pcm_close(pcm);
        if (config != nullptr) {
            snd_config_delete(config);
        }
        error = "No se pudo preparar el dispositivo de sonido \"" + name + "\": " + problem;
        return nullptr;
    }
    auto output = std::make_unique<AlsaWaveOut>(
        pcm, config, format, done_event,
        static_cast<std::int32_t>(std::clamp<snd_pcm_uframes_t>(period, 16, 8192)), can_pause);
    if (!output->StartWriter()) {
        error = "No se pudo iniciar el dispositivo de sonido \"" + name + "\".";
        return nullptr;
    }
    return output;
}

std::string OpenFailure(const std::string& name, int result) {
    return "No se pudo abrir el dispositivo de sonido \"" + name + "\": " + AlsaText(result);
}

}  // namespace

void QuietAlsaMessages() {
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(IgnoreAlsaMessage); });
}

std::unique_ptr<WaveOut> OpenAlsaWaveOut(const std::string& pcm_name, const WaveOutFormat& format,
                                         LSignalObject& done_event, std::string& error) {
    QuietAlsaMessages();
    snd_pcm_t* pcm = nullptr;
    const int result =
        snd_pcm_open(&pcm, pcm_name.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    if (result < 0) {
        error = OpenFailure(pcm_name, result);
        return nullptr;
    }
    return Finish(pcm, nullptr, pcm_name, format, done_event, error);
}

std::unique_ptr<WaveOut> OpenAlsaWaveOutWithConfig(const std::string& config_text,
                                                   const std::string& pcm_name,
                                                   const WaveOutFormat& format,
                                                   LSignalObject& done_event, std::string& error) {
    QuietAlsaMessages();
    snd_config_t* config = nullptr;
    snd_input_t* input = nullptr;
    int result = snd_config_top(&config);
    if (result >= 0) {
        result = snd_input_buffer_open(&input, config_text.data(),
                                       static_cast<ssize_t>(config_text.size()));
    }
    if (result >= 0) {
        result = snd_config_load(config, input);
        snd_input_close(input);
    }
    if (result < 0) {
        if (config != nullptr) {
            snd_config_delete(config);
        }
        error = "La configuración del dispositivo de sonido no es válida: " + AlsaText(result);
        return nullptr;
    }
    snd_pcm_t* pcm = nullptr;
    result = snd_pcm_open_lconf(&pcm, pcm_name.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK,
                                config);
    if (result < 0) {
        snd_config_delete(config);
        error = OpenFailure(pcm_name, result);
        return nullptr;
    }
    return Finish(pcm, config, pcm_name, format, done_event, error);
}

std::vector<std::string> AlsaPlaybackNames(std::size_t at_most) {
    QuietAlsaMessages();
    std::vector<std::string> names;
    void** hints = nullptr;
    if (snd_device_name_hint(-1, "pcm", &hints) < 0) {
        return names;
    }
    for (void** hint = hints; *hint != nullptr && names.size() < at_most; ++hint) {
        char* name = snd_device_name_get_hint(*hint, "NAME");
        char* direction = snd_device_name_get_hint(*hint, "IOID");
        if (name != nullptr && (direction == nullptr || std::strcmp(direction, "Output") == 0) &&
            std::strcmp(name, "default") != 0 && std::strcmp(name, "null") != 0 &&
            std::find(names.begin(), names.end(), name) == names.end()) {
            names.emplace_back(name);
        }
        std::free(name);       // NOLINT: ALSA hands out malloc'ed strings
        std::free(direction);  // NOLINT
    }
    snd_device_name_free_hint(hints);
    return names;
}

}  // namespace sonvara
