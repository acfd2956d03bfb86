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
    const FileKind kind = FileKindOf(path);
    if (kind == FileKind::kUnknown ||
        (kind == FileKind::kDecodedByComponent && !component_decoders)) {
        return UnknownExtension(path);
    }
    return std::nullopt;
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
