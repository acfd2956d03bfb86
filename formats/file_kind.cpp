#include "formats/file_kind.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "core/paths.h"

namespace sonvara {

namespace {

std::string LowerCaseExtension(std::string_view path) {
    std::string extension = GetFileExtension(path);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

}  // namespace

FileKind FileKindOf(std::string_view path) {
    const std::string extension = LowerCaseExtension(path);
    if (extension == ".wav") {
        return FileKind::kWave;
    }
    if (extension == ".aif" || extension == ".aiff") {
        return FileKind::kAiff;
    }
    if (extension == ".au") {
        return FileKind::kAu;
    }
    if (extension == ".gsm") {
        return FileKind::kGsm;
    }
    if (extension == ".mp3") {
        return FileKind::kMp3;
    }
    if (extension == ".vox" || extension == ".raw") {
        return FileKind::kRaw;
    }
    return FileKind::kUnknown;
}

ExternalDecoder ExternalDecoderOf(std::string_view path) {
    const std::string extension = LowerCaseExtension(path);
    if (extension == ".wma") {
        return ExternalDecoder::kWma;
    }
    if (extension == ".dss") {
        return ExternalDecoder::kDss;
    }
    if (extension == ".ra" || extension == ".ram" || extension == ".rm") {
        return ExternalDecoder::kRealAudio;
    }
    return ExternalDecoder::kNone;
}

}  // namespace sonvara
