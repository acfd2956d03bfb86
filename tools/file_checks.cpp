#include "tools/file_checks.h"

#include <sys/stat.h>

#include "formats/file_kind.h"

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
    const bool by_component =
        component_decoders && ExternalDecoderOf(path) != ExternalDecoder::kNone;
    if (FileKindOf(path) == FileKind::kUnknown && !by_component) {
        return UnknownExtension(path);
    }
    return std::nullopt;
}

std::optional<std::string> OutputFileProblem(const std::string& path) {
    if (FileKindOf(path) == FileKind::kUnknown) {
        return UnknownExtension(path);
    }
    return std::nullopt;
}

}  // namespace sonvara
