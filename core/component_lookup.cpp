#include "core/component_lookup.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "core/settings.h"

namespace sonvara {
namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat status {};
    return !path.empty() && ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string ComponentSection(std::string_view component) {
    return "Components/" + std::string(component);
}

std::optional<std::string> FindComponentProgram(std::string_view component,
                                                std::string_view program) {
    const std::string registered = ReadString(ComponentSection(component), "Path", "");
    if (IsExecutableFile(registered)) {
        return registered;
    }
    const char* search = std::getenv("PATH");
    if (search == nullptr || program.empty() || program.find('/') != std::string_view::npos) {
        return std::nullopt;
    }
    // Empty entries and relative ones are skipped: a program is never taken from wherever the
    // current folder happens to be.
    std::string_view rest(search);
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::string_view folder = rest.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        if (folder.empty() || folder.front() != '/') {
            continue;
        }
        std::string candidate = std::string(folder) + "/" + std::string(program);
        if (IsExecutableFile(candidate)) {
            return candidate;
        }
    }
    return std::nullopt;
}

}  // namespace sonvara
