#pragma once
// LWaveFileFormat: the formats a compressed WAV file can be written in, and the file
// "WavCodec.wff" in the data folder that remembers the last choice (formats/format_prompts.h asks
// the user for one).

#include <optional>
#include <string>

#include "platform/codec/wave_format.h"

namespace sonvara {

class LWaveFileFormat {
  public:
    // Whether 16-bit PCM of the format's channels and rate can be encoded into the format.
    static bool TestSupportedRecord(const WaveFormat& format);
    static bool TestSupportedRecord(const FormatArea& format);

    // "WavCodec.wff" in GetFolder("Current").
    static std::string RememberedFormatPath();
    // The remembered format; `fallback` when the file is missing or shorter than 1024 bytes.
    static FormatArea LoadRememberedFormat(const FormatArea& fallback);
    static bool SaveRememberedFormat(const FormatArea& format);

    // GSM 6.10, 8000 Hz mono: where the batch converter's choice starts.
    static FormatArea DefaultFormat();
    // 16-bit PCM: where a save under a new name starts (44100 Hz mono when nothing was chosen).
    static FormatArea PcmFormat(std::uint32_t rate, int channels);
    static WaveFormat FromArea(const FormatArea& area);
    // The format block at the start, zeros after it; a block longer than the area is refused.
    static std::optional<FormatArea> ToArea(const WaveFormat& format);
};

}  // namespace sonvara
