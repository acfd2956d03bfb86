#pragma once
// LWaveFileFormat: choosing the format of a compressed WAV file, and the file "WavCodec.wff" in
// the data folder that remembers the last choice.

#include <string>

#include "core/prompts.h"
#include "platform/codec/wave_format.h"

namespace sonvara {

class LWaveFileFormat {
  public:
    // Asks the user for a format (starting from `format`, limited to `channels` channels when
    // not 0) until one is chosen that can be written, saying "Formato no disponible" for each
    // that cannot. Returns false when the user cancels.
    static bool ChooseFormat(Prompts& prompts, FormatArea& format, int channels,
                             const std::string& title);

    // Whether 16-bit PCM of the format's channels and rate can be encoded into the format.
    static bool TestSupportedRecord(const WaveFormat& format);
    static bool TestSupportedRecord(const FormatArea& format);

    // The batch converter's WAV format setting: starts from the remembered format (GSM 6.10 at
    // 8000 Hz mono when there is none), lets the user choose with the caption "Seleccione
    // formato", and remembers the choice. Returns false when the user cancelled.
    static bool ChooseRememberedFormat(Prompts& prompts, FormatArea& format);

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
