#pragma once
// Wave inputs over ALSA capture PCMs: 16-bit little-endian interleaved frames at the sink's rate
// and channel count, a buffer of about 200 ms in periods of about 20 ms, read by the input's own
// thread. An overrun (the recorder fell more than the PCM's buffer behind) loses that sound and
// the capture goes on.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "devices/wave_in.h"

namespace sonvara {

// Opens the capture PCM `pcm_name` of the system's configuration ("default", "plughw:1,0", ...).
std::unique_ptr<WaveIn> OpenAlsaWaveIn(const std::string& pcm_name, const WaveInFormat& format,
                                       LSignalObject& done_event, std::string& error);

// Opens the PCM `pcm_name` defined in `config_text` (ALSA's configuration syntax), e.g. a `file`
// PCM that reads its frames from a file.
std::unique_ptr<WaveIn> OpenAlsaWaveInWithConfig(const std::string& config_text,
                                                 const std::string& pcm_name,
                                                 const WaveInFormat& format,
                                                 LSignalObject& done_event, std::string& error);

// The capture PCMs the system's configuration names ("default" and "null" left out).
std::vector<std::string> AlsaCaptureNames(std::size_t at_most);

}  // namespace sonvara
