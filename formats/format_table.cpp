#include "formats/format_table.h"

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

namespace sonvara {
namespace {

LSoundSourceRef OpenWave(const std::string& path, const RawFileFormat&) {
    return LWaveFile::OpenSource(path);
}
LSoundSourceRef OpenAiff(const std::string& path, const RawFileFormat&) {
    return LAifFile::OpenSource(path);
}
LSoundSourceRef OpenAu(const std::string& path, const RawFileFormat&) {
    return LAuFile::OpenSource(path);
}
LSoundSourceRef OpenGsm(const std::string& path, const RawFileFormat&) {
    return new LGSMFileSource(path);
}
LSoundSourceRef OpenMp3(const std::string& path, const RawFileFormat&) {
    return new LMP3Source(path);
}
LSoundSourceRef OpenRaw(const std::string& path, const RawFileFormat& raw) {
    return OpenRawSource(path, static_cast<RawEncoding>(raw.encoding), raw.rate, raw.channels);
}

using enum FileKind;
using enum ExternalDecoder;

// The options page shows the check boxes in this order; the batch converter's output formats are
// the written rows in this order.
constexpr FileFormat kFormats[] = {
    {kWave, "Wave", {"wav"}, {"audio/x-wav"}, OpenWave, kNone, true, "DefaultRunWav", "wav"},
    {kMp3, "MP3", {"mp3"}, {"audio/mpeg"}, OpenMp3, kNone, true, "DefaultRunMp3", "mp3"},
    {kGsm, "GSM 6.10", {"gsm"}, {"audio/x-gsm"}, OpenGsm, kNone, true, "DefaultRunGsm", "gsm"},
    {kRaw, "VOX", {"vox"}, {"audio/x-vox"}, OpenRaw, kNone, true, "DefaultRunVox", "vox"},
    {kRaw, "Raw", {"raw"}, {}, OpenRaw, kNone, true, "DefaultRunRaw", "raw"},
    {kAiff, "AIFF", {"aif", "aiff"}, {"audio/x-aiff"}, OpenAiff, kNone, true, "DefaultRunAIF",
     "aif"},
    {kDecodedByComponent, "RealAudio", {"ra", "ram", "rm"},
     {"audio/vnd.rn-realaudio", "application/ram", "application/vnd.rn-realmedia"}, nullptr,
     kRealAudio, false, "DefaultRunRA", "rm"},
    {kAu, "Sun AU", {"au", "snd"}, {"audio/basic"}, OpenAu, kNone, true, "DefaultRunAU", "au"},
    {kDecodedByComponent, "DSS", {"dss"}, {"audio/x-dss"}, nullptr, kDss, false, "DefaultRunDSS",
     "dss"},
    {kDecodedByComponent, "Windows Media Audio", {"wma"}, {"audio/x-ms-wma"}, nullptr, kWma,
     false, "DefaultRunWMA", "wma"},
};

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
