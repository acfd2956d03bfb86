#pragma once
// Questions and messages that a process asks the user while it runs. The editor answers with
// message boxes and dialogs, the batch tool from its command-line options, the tests from a script.
// Called on the interface thread only.

#include <array>
#include <cstdint>
#include <string>

namespace sonvara {

enum class PromptIcon { kInformation, kWarning, kError, kQuestion };
enum class PromptButtons { kOk, kOkCancel, kYesNo, kYesNoCancel };
enum class PromptAnswer { kOk, kCancel, kYes, kNo };

struct PromptMessage {
    std::string caption;  // "Error", "Error de Archivo", "Sonvara", "Valor no válido", ...
    std::string text;
    PromptIcon icon = PromptIcon::kInformation;
    PromptButtons buttons = PromptButtons::kOk;
};

// The answer of someone who agrees to everything: "Yes" where there is one, else "OK". Used where
// nobody is there to ask (the batch tool, tests).
constexpr PromptAnswer AgreeingAnswer(PromptButtons buttons) {
    return buttons == PromptButtons::kYesNo || buttons == PromptButtons::kYesNoCancel
               ? PromptAnswer::kYes
               : PromptAnswer::kOk;
}

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

// A chosen WAV format: the format block (tag, channels, rate, ... and the codec's extra bytes,
// little-endian, as in a WAV file's "fmt " chunk) at the start of 1024 bytes.
using FormatArea = std::array<std::uint8_t, 1024>;

class Prompts {
  public:
    virtual ~Prompts() = default;

    // Shows the message and returns the button the user chose (kCancel when the box was closed).
    virtual PromptAnswer Ask(const PromptMessage& message) = 0;

    // Lets the user pick a WAV format, starting from the one in `format`, among formats with
    // `channels` channels (0: any). Returns false when the user cancelled; the caller asks again
    // when the choice cannot be used, so an implementation that has no one to ask must not keep
    // returning the same unusable format.
    virtual bool ChooseWaveFormat(FormatArea& format, int channels, const std::string& title) = 0;

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
};

}  // namespace sonvara
