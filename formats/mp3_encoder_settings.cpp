#include "formats/mp3_encoder_settings.h"

#include <algorithm>
#include <limits>

#include "core/settings.h"

namespace sonvara {
namespace {

constexpr std::string_view kSection = "MP3Encoder";

template <typename Field>
Field ReadField(std::string_view name, Field default_value) {
    const int value = ReadInt(kSection, name, default_value);
    return static_cast<Field>(std::clamp<int>(value, 0, std::numeric_limits<Field>::max()));
}

// A path the encoder could take for an option or for its standard input or output.
std::string AsFileArgument(const std::string& path) {
    return !path.empty() && path.front() == '-' ? "./" + path : path;
}

// A rate in kilohertz as the encoder's "--resample" takes it: 44100 as "44.1", 8000 as "8".
std::string KilohertzText(std::int32_t rate) {
    std::string text = std::to_string(rate / 1000);
    std::string fraction = std::to_string(1000 + rate % 1000).substr(1);
    while (!fraction.empty() && fraction.back() == '0') {
        fraction.pop_back();
    }
    return fraction.empty() ? text : text + "." + fraction;
}

}  // namespace

Mp3EncoderSettings ReadMp3EncoderSettings() {
    const Mp3EncoderSettings defaults;
    Mp3EncoderSettings settings;
    settings.constant_bit_rate = ReadBool(kSection, "ConstantBitRate", defaults.constant_bit_rate);
    settings.cbr_bit_rate = ReadField("CBRBitRate", defaults.cbr_bit_rate);
    settings.high_quality = ReadBool(kSection, "HighQuality", defaults.high_quality);
    settings.vbr_min_bit_rate = ReadField("VBRMinBitRate", defaults.vbr_min_bit_rate);
    settings.vbr_max_bit_rate = ReadField("VBRMaxBitRate", defaults.vbr_max_bit_rate);
    settings.vbr_quality = ReadField("VBRQuality", defaults.vbr_quality);
    settings.error_protection = ReadBool(kSection, "ErrorProtection", defaults.error_protection);
    settings.channel_mode = ReadField("ChannelMode", defaults.channel_mode);
    return settings;
}

void WriteMp3EncoderSettings(const Mp3EncoderSettings& settings) {
    WriteBool(kSection, "ConstantBitRate", settings.constant_bit_rate);
    WriteInt(kSection, "CBRBitRate", settings.cbr_bit_rate);
    WriteBool(kSection, "HighQuality", settings.high_quality);
    WriteInt(kSection, "VBRMinBitRate", settings.vbr_min_bit_rate);
    WriteInt(kSection, "VBRMaxBitRate", settings.vbr_max_bit_rate);
    WriteInt(kSection, "VBRQuality", settings.vbr_quality);
    WriteBool(kSection, "ErrorProtection", settings.error_protection);
    WriteInt(kSection, "ChannelMode", settings.channel_mode);
}

std::int32_t Mp3EncodingRate(std::int32_t source_rate, const Mp3EncoderSettings& settings) {
    const int bit_rate =
        settings.constant_bit_rate ? settings.cbr_bit_rate : settings.vbr_min_bit_rate;
    std::int32_t x = std::min<std::int32_t>(source_rate, 48000);
    if (bit_rate < 32 && x > 22050) {
        x = 22050;
    }
    if (x > 44100 && x < 48000) {
        return 44100;
    }
    if (x > 32000 && x < 44100) {
        return 44100;
    }
    if (x > 24000 && x < 32000) {
        return 32000;
    }
    if (x > 22050 && x < 24000) {
        return 22050;
    }
    if (x > 16000 && x < 22050) {
        return 22050;
    }
    if (x > 11025 && x < 16000) {
        return 11025;
    }
    if (x > 8000 && x < 11025) {
        return 11025;
    }
    if (x < 8000) {
        return 8000;
    }
    return x;
}

std::string Mp3ChannelModeLetter(const Mp3EncoderSettings& settings) {
    static constexpr const char* kLetters[] = {"s", "j", "f", "m"};
    const int bit_rate =
        settings.constant_bit_rate ? settings.cbr_bit_rate : settings.vbr_max_bit_rate;
    if (bit_rate < 24) {
        return "m";
    }
    return kLetters[settings.channel_mode > 3 ? 1 : settings.channel_mode];
}

std::vector<std::string> Mp3EncoderArguments(const Mp3EncoderSettings& settings, std::int32_t rate,
                                             const std::string& input_wav,
                                             const std::string& output_mp3) {
    std::vector<std::string> arguments = {"-m", Mp3ChannelModeLetter(settings)};
    if (settings.error_protection) {
        arguments.push_back("-p");
    }
    if (settings.constant_bit_rate) {
        arguments.insert(arguments.end(), {"-b", std::to_string(settings.cbr_bit_rate)});
        if (settings.high_quality) {
            arguments.push_back("-h");
        }
    } else {
        arguments.insert(arguments.end(), {"-v", "-b", std::to_string(settings.vbr_min_bit_rate),
                                           "-B", std::to_string(settings.vbr_max_bit_rate), "-V",
                                           std::to_string(settings.vbr_quality)});
    }
    // Left to itself the encoder picks a lower rate than the one the audio was written at
    // for low bit rates, resampling a second time.
    arguments.insert(arguments.end(), {"--resample", KilohertzText(rate), "-S",
                                       AsFileArgument(input_wav), AsFileArgument(output_mp3)});
    return arguments;
}

}  // namespace sonvara
