#pragma once
// The questions about a file's format that a load or a save asks while it runs: the WAV format
// of a compressed WAV file, the rate, encoding and channels of a headerless file, and how MP3
// files are encoded. They come with the host's prompts: the editor, the batch tool and the tests
// give prompts that are FormatPrompts too, answering with dialogs, command-line options or a
// script.

#include <cstdint>
#include <string>

#include "core/prompts.h"
#include "platform/codec/codec_manager.h"
#include "platform/codec/wave_format.h"

namespace sonvara {

// How to read or write a headerless file: samples per second, the encoding (its index in the
// raw-format dialog's list) and the channels.
struct RawFileFormat {
    int rate = 8000;
    int encoding = 0;
    int channels = 1;
};

// How MP3 files are encoded (the "MP3Encoder" settings): a constant bit rate with its rate and
// quality, or a variable one between two rates at a quality; CRC protection; the channel mode
// (0 simple stereo, 1 joint stereo, 2 forced mid/side, 3 mono). Bit rates are in kbit/s.
struct Mp3EncoderSettings {
    bool constant_bit_rate = false;
    std::uint16_t cbr_bit_rate = 128;
    bool high_quality = true;
    std::uint16_t vbr_min_bit_rate = 32;
    std::uint16_t vbr_max_bit_rate = 128;
    std::uint8_t vbr_quality = 4;
    bool error_protection = false;
    std::uint8_t channel_mode = 1;

    bool operator==(const Mp3EncoderSettings&) const = default;
};

// How the compressed formats are encoded: FLAC's compression level (0 fastest to 8 smallest), Ogg
// Vorbis's quality (0 to 10), Opus's and AAC's bit rates in kbit/s (for all channels); the ranges
// are compression_settings.h's.
enum class CompressedFormat { kFlac, kVorbis, kOpus, kAac };
struct CompressionSettings {
    int flac_level = 5;
    int vorbis_quality = 5;
    int opus_kbps = 128;
    int aac_kbps = 160;

    bool operator==(const CompressionSettings&) const = default;
};

class FormatPrompts : public Prompts {
  public:
    // Lets the user pick a WAV format among `choices` (WaveFormatChoices), starting from the one
    // in `format`. Returns false when the user cancelled; the caller asks again when the choice
    // cannot be used, so an implementation that has no one to ask must not keep returning the
    // same unusable format.
    virtual bool ChooseWaveFormat(FormatArea& format, const std::vector<FormatChoice>& choices,
                                  const std::string& title) = 0;

    // Lets the user edit the rate, encoding and channels of a headerless file (the raw-format
    // dialog), starting from `format`. Returns false when the user cancelled.
    virtual bool AskRawFileFormat(RawFileFormat& format) = 0;

    // Lets the user edit how MP3 files are encoded (the MP3 options dialog), starting from
    // `settings`. Returns false when the user cancelled. Where nobody is asked, the settings
    // stay as they are and the answer is "OK".
    virtual bool AskMp3EncoderSettings(Mp3EncoderSettings& settings) {
        (void)settings;
        return true;
    }
    // Lets the user edit how `format` is encoded (its field of `settings`), as the MP3 settings.
    virtual bool AskCompressionSettings(CompressedFormat format, CompressionSettings& settings) {
        (void)format;
        (void)settings;
        return true;
    }
};

// The format questions of `prompts`, or null when they cannot answer them (then a question is
// cancelled, and the MP3 settings stay as they are).
FormatPrompts* FormatQuestionsOf(Prompts& prompts);

// The WAV formats a chooser offers. With no document (rate 0): every one some codec writes, at
// every rate, with `channels` channels (0: any). For a document of `rate` and `channels`: each
// coding and sample width once, PCM and floating point at the document's rate and channels, the
// other codings at the rate and channels nearest the document's that they take (the save then
// converts).
std::vector<FormatChoice> WaveFormatChoices(int channels, std::int32_t rate = 0);

// Asks for a WAV format among `choices` (starting from `format`) until one is chosen that can be
// written, saying "Formato no disponible" for each that cannot. Returns false when the user
// cancels.
bool ChooseWaveFileFormat(Prompts& prompts, FormatArea& format,
                          const std::vector<FormatChoice>& choices, const std::string& title);
// The batch converter's WAV format setting: starts from the remembered format (GSM 6.10 at
// 8000 Hz mono when there is none), lets the user choose with the caption "Seleccione formato",
// and remembers the choice. Returns false when the user cancelled.
bool ChooseRememberedWaveFormat(Prompts& prompts, FormatArea& format);
// A headerless file's format, as `prompts` asks it starting from `format`; false when cancelled.
bool AskRawFileFormat(Prompts& prompts, RawFileFormat& format);
// The MP3 settings, as `prompts` asks them starting from `settings`; false when cancelled.
bool AskMp3EncoderSettings(Prompts& prompts, Mp3EncoderSettings& settings);
// How `format` is encoded, as `prompts` asks it; false when cancelled.
bool AskCompressionSettings(Prompts& prompts, CompressedFormat format,
                            CompressionSettings& settings);

}  // namespace sonvara
