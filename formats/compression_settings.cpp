#include "formats/compression_settings.h"

#include <sndfile.h>

#include <algorithm>

#include "core/settings.h"

namespace sonvara {

CompressionSettings ValidCompressionSettings(CompressionSettings settings) {
    settings.flac_level = std::clamp(settings.flac_level, 0, 8);
    settings.vorbis_quality = std::clamp(settings.vorbis_quality, 0, 10);
    settings.opus_kbps = std::clamp(settings.opus_kbps, 6, 512);
    return settings;
}

CompressionSettings ReadCompressionSettings() {
    const CompressionSettings defaults;
    CompressionSettings settings;
    settings.flac_level = ReadInt("FlacEncoder", "CompressionLevel", defaults.flac_level);
    settings.vorbis_quality = ReadInt("VorbisEncoder", "Quality", defaults.vorbis_quality);
    settings.opus_kbps = ReadInt("OpusEncoder", "BitRate", defaults.opus_kbps);
    return ValidCompressionSettings(settings);
}

void WriteCompressionSettings(const CompressionSettings& settings) {
    WriteInt("FlacEncoder", "CompressionLevel", settings.flac_level);
    WriteInt("VorbisEncoder", "Quality", settings.vorbis_quality);
    WriteInt("OpusEncoder", "BitRate", settings.opus_kbps);
}

std::optional<CompressedFormat> CompressedFormatOf(int sndfile_format) {
    if ((sndfile_format & SF_FORMAT_TYPEMASK) == SF_FORMAT_FLAC) {
        return CompressedFormat::kFlac;
    }
    switch (sndfile_format & SF_FORMAT_SUBMASK) {
        case SF_FORMAT_VORBIS:
            return CompressedFormat::kVorbis;
        case SF_FORMAT_OPUS:
            return CompressedFormat::kOpus;
        default:
            return std::nullopt;
    }
}

double SndfileCompressionLevel(CompressedFormat format, const CompressionSettings& settings,
                               int channels) {
    const CompressionSettings valid = ValidCompressionSettings(settings);
    switch (format) {
        case CompressedFormat::kFlac:
            return valid.flac_level / 8.0;
        case CompressedFormat::kVorbis:
            // libsndfile's Vorbis quality is one less the level.
            return 1.0 - valid.vorbis_quality / 10.0;
        case CompressedFormat::kOpus: {
            // libsndfile spreads the level over 256 (level 0) to 6 (level 1) kbit/s a channel.
            const double per_channel = static_cast<double>(valid.opus_kbps) / std::max(channels, 1);
            return std::clamp((256.0 - per_channel) / 250.0, 0.0, 1.0);
        }
    }
    return 0.5;
}

}  // namespace sonvara
