#include "tools/file_checks.h"

#include <sys/stat.h>

#include "formats/format_table.h"

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
    const FileKind kind = FileKindOf(path);
    if (kind == FileKind::kUnknown ||
        (kind == FileKind::kDecodedByComponent && !component_decoders)) {
        return UnknownExtension(path);
    }
    return std::nullopt;
}

std::optional<std::string> OutputFileProblem(const std::string& path) {
    if (!IsWritableFile(path)) {
        return UnknownExtension(path);
    }
    return std::nullopt;
}

}  // namespace sonvara
