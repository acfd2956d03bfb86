#include "components/component_location.h"

#include <unistd.h>

#include <array>

#include "core/paths.h"
#include "core/settings.h"

namespace sonvara {

std::string RunningProgramFolder() {
    std::array<char, 4096> buffer{};
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) {
        return {};
    }
    return GetFolderFromPath(std::string_view(buffer.data(), static_cast<std::size_t>(length)));
}

std::vector<std::string> ComponentCandidates(std::string_view name, std::string_view default_file) {
    std::vector<std::string> candidates;
    std::string section = "Components/";
    section += name;
    const std::string path = ReadString(section, "Path", "");
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
