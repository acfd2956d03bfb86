#include "devices/alsa_pcm.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace sonvara {
namespace {

void IgnoreAlsaMessage(const char* /*file*/, int /*line*/, const char* /*function*/, int /*err*/,
                       const char* /*format*/, ...) {}

}  // namespace

std::string AlsaText(int error) {
    // The system's own texts are English whatever the desktop's language: the common ones in
    // Spanish, the rest as ALSA words them.
    switch (-error) {
        case EINVAL:
            return "el dispositivo no admite ese formato o esa configuración";
        case EBUSY:
            return "el dispositivo está ocupado por otro programa";
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return "el dispositivo no existe o no está conectado";
        case EACCES:
        case EPERM:
            return "no hay permiso para usar el dispositivo";
        case EPIPE:
            return "el sonido se interrumpió (el equipo no pudo seguir el ritmo)";
        case ESTRPIPE:
            return "el dispositivo está suspendido";
        case EIO:
            return "error de entrada o salida del dispositivo";
        case ENOMEM:
            return "no hay memoria suficiente";
        case EAGAIN:
            return "el dispositivo no está disponible por ahora";
        default:
            return snd_strerror(error);
    }
}

void QuietAlsaMessages() {
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(IgnoreAlsaMessage); });
}

bool OpenPcm(const std::string& pcm_name, snd_pcm_stream_t stream, const std::string* config_text,
             AlsaPcm& opened, std::string& error) {
    QuietAlsaMessages();
    opened = AlsaPcm{};
    int result = 0;
    if (config_text != nullptr) {
        snd_input_t* input = nullptr;
        result = snd_config_top(&opened.config);
        if (result >= 0) {
            result = snd_input_buffer_open(&input, config_text->data(),
                                           static_cast<ssize_t>(config_text->size()));
        }
        if (result >= 0) {
            result = snd_config_load(opened.config, input);
            snd_input_close(input);
        }
        if (result < 0) {
            ClosePcm(opened);
            error = "La configuración del dispositivo de sonido no es válida: " + AlsaText(result);
            return false;
        }
        result = snd_pcm_open_lconf(&opened.pcm, pcm_name.c_str(), stream, SND_PCM_NONBLOCK,
                                    opened.config);
    } else {
        result = snd_pcm_open(&opened.pcm, pcm_name.c_str(), stream, SND_PCM_NONBLOCK);
    }
    if (result < 0) {
        opened.pcm = nullptr;
        ClosePcm(opened);
        error =
            "No se pudo abrir el dispositivo de sonido \"" + pcm_name + "\": " + AlsaText(result);
        return false;
    }
    return true;
}

int ClosePcm(AlsaPcm& opened) {
    int result = 0;
    if (opened.pcm != nullptr) {
        result = snd_pcm_close(opened.pcm);
        opened.pcm = nullptr;
    }
    if (opened.config != nullptr) {
        snd_config_delete(opened.config);
        opened.config = nullptr;
    }
    return result;
}

std::string ConfigurePcm(snd_pcm_t* pcm, const WaveOutFormat& format, unsigned buffer_us,
                         unsigned period_us, snd_pcm_uframes_t& period, bool& can_pause) {
    const char* verb = snd_pcm_stream(pcm) == SND_PCM_STREAM_CAPTURE ? "no graba" : "no reproduce";
    snd_pcm_hw_params_t* hw = nullptr;
    snd_pcm_hw_params_alloca(&hw);
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
        return std::string("el dispositivo ") + verb + " " + std::to_string(format.channels) +
               " canal(es) de 16 bits: " + AlsaText(result);
    }
    snd_pcm_hw_params_set_rate_resample(pcm, hw, 1);
    result = snd_pcm_hw_params_set_rate(pcm, hw, rate, 0);
    if (result < 0) {
        return std::string("el dispositivo ") + verb + " a " + std::to_string(format.sample_rate) +
               " Hz: " + AlsaText(result);
    }
    snd_pcm_hw_params_set_buffer_time_near(pcm, hw, &buffer_us, nullptr);
    snd_pcm_hw_params_set_period_time_near(pcm, hw, &period_us, nullptr);
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

std::vector<std::string> AlsaPcmNames(const char* direction, std::size_t at_most) {
    QuietAlsaMessages();
    std::vector<std::string> names;
    void** hints = nullptr;
    if (snd_device_name_hint(-1, "pcm", &hints) < 0) {
        return names;
    }
    for (void** hint = hints; *hint != nullptr && names.size() < at_most; ++hint) {
        char* name = snd_device_name_get_hint(*hint, "NAME");
        char* io = snd_device_name_get_hint(*hint, "IOID");
        if (name != nullptr && (io == nullptr || std::strcmp(io, direction) == 0) &&
            std::strcmp(name, "default") != 0 && std::strcmp(name, "null") != 0 &&
            std::find(names.begin(), names.end(), name) == names.end()) {
            names.emplace_back(name);
        }
        std::free(name);  // NOLINT: ALSA hands out malloc'ed strings
        std::free(io);    // NOLINT
    }
    snd_device_name_free_hint(hints);
    return names;
}

}  // namespace sonvara
