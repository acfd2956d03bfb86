#include "tools/file_checks.h"

#include <sys/stat.h>

#include "formats/format_table.h"
#include "formats/load_save.h"

namespace sonvara {
namespace {

std::string UnknownExtension(const std::string& path) {
    return "extensión desconocida: \"" + path + "\"";
}

}  // namespace

std::optional<std::string> InputFileProblem(const std::string& path, bool component_decoders) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return "no se encuentra el archivo \"" + path + "\"";
    }
    if (!IsReadableFile(path) ||
        (ExternalDecoderOf(path) != ExternalDecoder::kNone && !component_decoders)) {
        return UnknownExtension(path);
    }
    return std::nullopt;
}

std::optional<std::string> BitsProblem(const std::string& output, std::optional<SampleBits> bits) {
    const FileFormat* format = FileFormatOf(output);
    if (!bits || format == nullptr) {
        return std::nullopt;
    }
    const bool own_writer = format->kind == FileKind::kWave || format->kind == FileKind::kAiff;
    if ((*bits == SampleBits::k16 && own_writer) || SndfileFormatFor(*format, *bits)) {
        return std::nullopt;
    }
    return "el formato de \"" + output + "\" no admite esa anchura de muestra (--bits)";
}

std::string UnreadableInputMessage(const std::string& path) {
    if (const std::optional<std::string> coding = UnreadableCodingMessage(path)) {
        return "\"" + path + "\": " + *coding;
    }
    return "datos ilegibles en \"" + path + "\"";
}

std::optional<std::string> OutputFileProblem(const std::string& path) {
    if (!IsWritableFile(path)) {
        return UnknownExtension(path);
    }
    return std::nullopt;
}

}  // namespace sonvara
