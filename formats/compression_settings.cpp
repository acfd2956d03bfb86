#include "formats/compression_settings.h"

#include <sndfile.h>

#include <algorithm>

#include "core/settings.h"

namespace sonvara {

namespace {

using enum CompressedFormat;
using S = CompressionSettings;

// clang-format off
constexpr CompressionField kFields[] = {
    {kFlac, &S::flac_level, 0, 8, "FlacEncoder", "CompressionLevel", "--flac-level", "Opciones de FLAC", "Nivel de compresión (0 más rápido, 8 más pequeño):"},
    {kVorbis, &S::vorbis_quality, 0, 10, "VorbisEncoder", "Quality", "--vorbis-quality", "Opciones de Ogg Vorbis", "Calidad (0 menor, 10 mayor):"},
    {kOpus, &S::opus_kbps, 6, 512, "OpusEncoder", "BitRate", "--opus-kbps", "Opciones de Opus", "Tasa de bits (kbit/s):"},
    {kAac, &S::aac_kbps, 16, 512, "AacEncoder", "BitRate", "--aac-kbps", "Opciones de AAC (M4A)", "Tasa de bits (kbit/s):"},
};
// clang-format on

}  // namespace

std::span<const CompressionField> CompressionFields() {
    return kFields;
}

const CompressionField& CompressionFieldOf(CompressedFormat format) {
    return *std::ranges::find(kFields, format, &CompressionField::format);
}

CompressionSettings ValidCompressionSettings(CompressionSettings settings) {
    for (const CompressionField& field : kFields) {
        settings.*field.value = std::clamp(settings.*field.value, field.low, field.high);
    }
    return settings;
}

CompressionSettings ReadCompressionSettings() {
    CompressionSettings settings;
    for (const CompressionField& field : kFields) {
        settings.*field.value = ReadInt(field.section, field.key, settings.*field.value);
    }
    return ValidCompressionSettings(settings);
}

void WriteCompressionSettings(const CompressionSettings& settings) {
    for (const CompressionField& field : kFields) {
        WriteInt(field.section, field.key, settings.*field.value);
    }
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

std::optional<CompressedFormat> CompressedFormatOf(const FileFormat& format) {
    return format.kind == FileKind::kMpeg4Audio ? std::optional(CompressedFormat::kAac)
                                                : CompressedFormatOf(format.sndfile_format);
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
        case CompressedFormat::kAac:
            break;
    }
    return 0.5;
}

}  // namespace sonvara
