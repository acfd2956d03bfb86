#pragma once
// What the ALSA wave outputs and inputs share: opening a PCM from the system's configuration or
// from a configuration text of the caller's, setting it up for 16-bit interleaved frames, and
// listing the PCMs the configuration names.

#include <alsa/asoundlib.h>

#include <cstddef>
#include <string>
#include <vector>

#include "devices/wave_out.h"

namespace sonvara {

// The period both directions ask for, and how long a worker waits for the device at a time.
inline constexpr unsigned kAlsaPeriodMicroseconds = 20000;
inline constexpr int kAlsaWaitMilliseconds = 10;

std::string AlsaText(int error);

// Keeps ALSA's own messages off stderr (a failed open is reported through `error`).
void QuietAlsaMessages();

// An open PCM and the private configuration it was opened from (null for the system's); the
// owner closes both with ClosePcm.
struct AlsaPcm {
    snd_pcm_t* pcm = nullptr;
    snd_config_t* config = nullptr;
};

// Opens `pcm_name` for `stream`, non-blocking, from the system's configuration, or from
// `config_text` when it is not null. False with `error` set (in words for the user) on failure.
bool OpenPcm(const std::string& pcm_name, snd_pcm_stream_t stream, const std::string* config_text,
             AlsaPcm& opened, std::string& error);

// Closes the PCM and frees its configuration; the result of snd_pcm_close.
int ClosePcm(AlsaPcm& opened);

// Sets the PCM up for `format` with a buffer and period near the given times, its start
// threshold and wake-up size at one period. Empty on success, else why not; `period` and
// `can_pause` say what the device gave.
std::string ConfigurePcm(snd_pcm_t* pcm, const WaveOutFormat& format, unsigned buffer_us,
                         unsigned period_us, snd_pcm_uframes_t& period, bool& can_pause);

// The PCMs the system's configuration names for `direction` ("Output" or "Input"; PCMs that
// name no direction serve both), "default" and "null" left out, at most `at_most` of them.
std::vector<std::string> AlsaPcmNames(const char* direction, std::size_t at_most);

}  // namespace sonvara
