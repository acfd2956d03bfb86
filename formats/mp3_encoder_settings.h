#pragma once
// What an MP3 save passes to the encoder component "mp3kx" (the LAME command-line encoder): the
// stored "MP3Encoder" settings, the sample rate the audio is encoded at, and the encoder's
// arguments.

#include <cstdint>
#include <string>
#include <vector>

#include "formats/format_prompts.h"

namespace sonvara {

// Read from and written to the settings section "MP3Encoder" ("ConstantBitRate", "CBRBitRate",
// "HighQuality", "VBRMinBitRate", "VBRMaxBitRate", "VBRQuality", "ErrorProtection",
// "ChannelMode"). Stored numbers outside their field's width are brought into it.
Mp3EncoderSettings ReadMp3EncoderSettings();
void WriteMp3EncoderSettings(const Mp3EncoderSettings& settings);

// The sample rate audio at `source_rate` is encoded at: at most 48000, at most 22050 below
// 32 kbit/s (the constant bit rate, or the variable one's lowest), and one of the rates MP3
// knows (8000, 11025, 16000, 22050, 24000, 32000, 44100, 48000).
std::int32_t Mp3EncodingRate(std::int32_t source_rate, const Mp3EncoderSettings& settings);

// The channel-mode option's letter: "s", "j", "f" or "m" by "ChannelMode" (a mode above 3
// counts as joint stereo); "m" whatever the mode when the bit rate (the constant one, or the
// variable one's highest) is below 24 kbit/s.
std::string Mp3ChannelModeLetter(const Mp3EncoderSettings& settings);

// The encoder's arguments after its own name: the channel mode, the error protection, the bit
// rates and quality, "--resample" with `rate` (Hz, given in kHz) so that the MP3 keeps the
// rate it is encoded at, then "-S" (no progress report) and the input and output paths.
std::vector<std::string> Mp3EncoderArguments(const Mp3EncoderSettings& settings, std::int32_t rate,
                                             const std::string& input_wav,
                                             const std::string& output_mp3);

}  // namespace sonvara
