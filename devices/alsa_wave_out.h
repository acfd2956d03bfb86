#pragma once
// Wave outputs over ALSA PCMs: 16-bit little-endian interleaved frames at the source's rate and
// channel count, a buffer of about 80 ms in periods of about 20 ms, written by the output's own
// thread. The played position is the frames written less the PCM's delay.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "devices/wave_out.h"

namespace sonvara {

// Opens the playback PCM `pcm_name` of the system's configuration ("default", "plughw:1,0", ...).
std::unique_ptr<WaveOut> OpenAlsaWaveOut(const std::string& pcm_name, const WaveOutFormat& format,
                                         LSignalObject& done_event, std::string& error);

// Opens the PCM `pcm_name` defined in `config_text` (ALSA's configuration syntax) instead of the
// system's configuration, e.g. a `file` PCM that writes every frame into a file.
std::unique_ptr<WaveOut> OpenAlsaWaveOutWithConfig(const std::string& config_text,
                                                   const std::string& pcm_name,
                                                   const WaveOutFormat& format,
                                                   LSignalObject& done_event, std::string& error);

// The playback PCMs the system's configuration names ("default" and "null" left out), at most
// `at_most` of them.
std::vector<std::string> AlsaPlaybackNames(std::size_t at_most);

}  // namespace sonvara
