#include "core/component_lookup.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdlib>

#include "core/paths.h"
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

std::string RunningProgramFolder() {
    std::array<char, 4096> buffer{};
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) {
        return {};
    }
    return GetFolderFromPath(std::string_view(buffer.data(), static_cast<std::size_t>(length)));
}

std::vector<std::string> ComponentCandidates(std::string_view component,
                                             std::string_view default_file) {
    std::vector<std::string> candidates;
    const std::string path = ReadString(ComponentSection(component), "Path", "");
    if (!path.empty()) {
        candidates.push_back(path);
    }
    const std::string folder = RunningProgramFolder();
    if (!folder.empty()) {
        candidates.push_back(FilePathCat(folder, default_file));
    }
    candidates.emplace_back(default_file);
    return candidates;
}

}  // namespace sonvara
