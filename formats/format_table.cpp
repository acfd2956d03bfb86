#include "formats/format_table.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <vector>

#include "audio/wav/wave_file.h"
#include "core/paths.h"
#include "formats/aiff_file.h"
#include "formats/au_file.h"
#include "formats/format_prompts.h"
#include "formats/gsm_file.h"
#include "formats/mp3_file.h"
#include "formats/raw_formats.h"
#include "formats/sample_bits.h"
#include "formats/sndfile_file.h"

namespace sonvara {
namespace {

// Our own reader first (its results stay as they were); the codings it does not take (wider
// AIFF, AIFF-C, big-endian WAV) through libsndfile.
LSoundSourceRef OwnOrSndfile(LSoundSourceRef own, const std::string& path) {
    return own->IsError() ? OpenSndfileSource(path) : own;
}
// WAV files of 24 and 32-bit or floating-point samples keep the editor's 20 bits through
// libsndfile (the codec manager converts to 16 bits); the others read as they always have.
LSoundSourceRef OpenWave(const std::string& path, const RawFileFormat&) {
    const std::optional<SampleBits> bits = SampleBitsOf(path);
    if (bits && *bits != SampleBits::k16) {
        return OpenSndfileSource(path);
    }
    return OwnOrSndfile(LWaveFile::OpenSource(path), path);
}
LSoundSourceRef OpenAiff(const std::string& path, const RawFileFormat&) {
    return OwnOrSndfile(LAifFile::OpenSource(path), path);
}
LSoundSourceRef OpenSndfile(const std::string& path, const RawFileFormat&) {
    return OpenSndfileSource(path);
}
LSoundSourceRef OpenAu(const std::string& path, const RawFileFormat&) {
    return LAuFile::OpenSource(path);
}
LSoundSourceRef OpenGsm(const std::string& path, const RawFileFormat&) {
    return new LGSMFileSource(path);
}
LSoundSourceRef OpenMp3(const std::string& path, const RawFileFormat&) {
    return OpenMp3Source(path);
}
LSoundSourceRef OpenRaw(const std::string& path, const RawFileFormat& raw) {
    return OpenRawSource(path, static_cast<RawEncoding>(raw.encoding), raw.rate, raw.channels);
}

using enum FileKind;
using enum ExternalDecoder;

// The options page shows the check boxes in this order (the rows without one may go anywhere);
// the batch converter's output formats are the written rows in this order, a row per line.
constexpr auto kSfFlac = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
constexpr auto kSfVorbis = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
constexpr auto kSfOpus = SF_FORMAT_OGG | SF_FORMAT_OPUS;
constexpr auto kSfCaf = SF_FORMAT_CAF | SF_FORMAT_PCM_16;
constexpr auto kSfW64 = SF_FORMAT_W64 | SF_FORMAT_PCM_16;
constexpr auto kSfRf64 = SF_FORMAT_RF64 | SF_FORMAT_PCM_16;
// clang-format off
constexpr FileFormat kFormats[] = {
    // kind, name, extensions, MIME types, reader, decoder, written, tags, libsndfile's format,
    // the options page's setting and label
    {kWave, "Wave", {"wav"}, {"audio/x-wav"}, OpenWave, kNone, true, TagFormat::kRiffInfo, 0, "DefaultRunWav", "wav"},
    {kMp3, "MP3", {"mp3"}, {"audio/mpeg"}, OpenMp3, kNone, true, TagFormat::kId3v2, 0, "DefaultRunMp3", "mp3"},
    {kGsm, "GSM 6.10", {"gsm"}, {"audio/x-gsm"}, OpenGsm, kNone, true, TagFormat::kNone, 0, "DefaultRunGsm", "gsm"},
    {kRaw, "VOX", {"vox"}, {"audio/x-vox"}, OpenRaw, kNone, true, TagFormat::kNone, 0, "DefaultRunVox", "vox"},
    {kRaw, "Raw", {"raw"}, {}, OpenRaw, kNone, true, TagFormat::kNone, 0, "DefaultRunRaw", "raw"},
    {kAiff, "AIFF", {"aif", "aiff", "aifc"}, {"audio/x-aiff"}, OpenAiff, kNone, true, TagFormat::kAiff, 0, "DefaultRunAIF", "aif"},
    {kDecodedByComponent, "RealAudio", {"ra", "ram", "rm"}, {"audio/vnd.rn-realaudio", "application/ram", "application/vnd.rn-realmedia"}, nullptr, kRealAudio, false, TagFormat::kNone, 0, "DefaultRunRA", "rm"},
    {kAu, "Sun AU", {"au", "snd"}, {"audio/basic"}, OpenAu, kNone, true, TagFormat::kNone, 0, "DefaultRunAU", "au"},
    {kDecodedByComponent, "DSS", {"dss"}, {"audio/x-dss"}, nullptr, kDss, false, TagFormat::kNone, 0, "DefaultRunDSS", "dss"},
    {kDecodedByComponent, "Windows Media Audio", {"wma"}, {"audio/x-ms-wma"}, nullptr, kWma, false, TagFormat::kNone, 0, "DefaultRunWMA", "wma"},
    {kSndfile, "FLAC", {"flac"}, {"audio/flac"}, OpenSndfile, kNone, true, TagFormat::kFlac, kSfFlac, "DefaultRunFLAC", "flac"},
    {kSndfile, "Ogg Vorbis", {"ogg", "oga"}, {"audio/x-vorbis+ogg", "audio/ogg"}, OpenSndfile, kNone, true, TagFormat::kOggVorbis, kSfVorbis, "DefaultRunOgg", "ogg"},
    {kSndfile, "Opus", {"opus"}, {"audio/x-opus+ogg"}, OpenSndfile, kNone, true, TagFormat::kOggOpus, kSfOpus, "DefaultRunOpus", "opus"},
    {kDecodedByComponent, "AAC", {"aac"}, {"audio/aac"}, nullptr, kFfmpeg, false, TagFormat::kNone, 0, nullptr, nullptr},
    {kDecodedByComponent, "WebM / Matroska", {"webm", "mka"}, {"audio/webm", "audio/x-matroska"}, nullptr, kFfmpeg, false, TagFormat::kNone, 0, nullptr, nullptr},
    {kSndfile, "CAF", {"caf"}, {}, OpenSndfile, kNone, true, TagFormat::kNone, kSfCaf, nullptr, nullptr},
    {kSndfile, "Wave64", {"w64"}, {}, OpenSndfile, kNone, true, TagFormat::kNone, kSfW64, nullptr, nullptr},
    {kSndfile, "RF64", {"rf64"}, {}, OpenSndfile, kNone, true, TagFormat::kNone, kSfRf64, nullptr, nullptr},
    {kMpeg4Audio, "MPEG-4 Audio", {"m4a", "mp4", "m4b"}, {"audio/mp4"}, nullptr, kFfmpeg, true, TagFormat::kMp4, 0, "DefaultRunM4A", "m4a"},
};
// clang-format on

std::string LowerCaseExtension(std::string_view path) {
    std::string extension = GetFileExtension(path);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

}  // namespace

std::span<const FileFormat> FileFormats() {
    return kFormats;
}

const FileFormat* FileFormatOf(std::string_view path) {
    const std::string extension = LowerCaseExtension(path);
    if (extension.size() < 2) {
        return nullptr;
    }
    for (const FileFormat& format : kFormats) {
        for (const char* own : format.extensions) {
            if (own != nullptr && extension.compare(1, std::string::npos, own) == 0) {
                return &format;
            }
        }
    }
    return nullptr;
}

FileKind FileKindOf(std::string_view path) {
    const FileFormat* format = FileFormatOf(path);
    return format == nullptr ? kUnknown : format->kind;
}

ExternalDecoder ExternalDecoderOf(std::string_view path) {
    const FileFormat* format = FileFormatOf(path);
    return format == nullptr ? kNone : format->decoder;
}

bool IsReadableFile(std::string_view path) {
    return FileFormatOf(path) != nullptr;
}

bool IsWritableFile(std::string_view path) {
    const FileFormat* format = FileFormatOf(path);
    return format != nullptr && format->writes;
}

std::span<const std::string> WrittenExtensions() {
    static const std::vector<std::string> extensions = [] {
        std::vector<std::string> written;
        for (const FileFormat& format : kFormats) {
            if (format.writes) {
                written.push_back(std::string(".") + format.extensions[0]);
            }
        }
        return written;
    }();
    return extensions;
}

}  // namespace sonvara
