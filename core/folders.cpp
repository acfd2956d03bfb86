#include "core/folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <vector>

#include "core/diagnostics.h"
#include "core/paths.h"
#include "core/settings.h"

namespace sonvara {
namespace {

bool IsAbsolute(const char* path) {
    return path != nullptr && path[0] == '/';
}

std::string AccountHomeFolder() {
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    while (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == ERANGE &&
           buffer.size() < (1u << 20)) {
        buffer.resize(buffer.size() * 2);
    }
    if (found == nullptr || !IsAbsolute(found->pw_dir)) {
        return {};
    }
    return found->pw_dir;
}

}  // namespace

std::string UserHomeFolder() {
    const char* home = std::getenv("HOME");
    if (IsAbsolute(home)) {
        return home;
    }
    return AccountHomeFolder();
}

std::string XdgBaseFolder(const char* variable, std::string_view home_relative) {
    const char* value = std::getenv(variable);
    if (IsAbsolute(value)) {
        return value;
    }
    const std::string home = UserHomeFolder();
    if (home.empty()) {
        return {};
    }
    return FilePathCat(home, home_relative);
}

bool CreateFolders(const std::string& path, mode_t mode) {
    // Each level in turn, from the top; levels that exist already are passed over.
    for (std::size_t end = path.find('/', 1); end != std::string::npos;
         end = path.find('/', end + 1)) {
        ::mkdir(path.substr(0, end).c_str(), mode);
    }
    ::mkdir(path.c_str(), mode);
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::string GetProgramFolder() {
    const std::string base = XdgBaseFolder("XDG_DATA_HOME", ".local/share");
    if (base.empty()) {
        Diagnose("GetProgramFolder: no home folder");
        return {};
    }
    const std::string folder = base + "/Vellumtone/Sonvara";
    // The folder belongs to the user alone. (It used to be shared by every user of the machine
    // and made writable by all; a per-user folder needs no such grant, and a world-writable data
    // folder would let other users plant files in it.)
    if (!CreateFolders(folder, 0755)) {
        Diagnose("GetProgramFolder: cannot create the program folder");
    }
    return folder;
}

std::string GetFolder(std::string_view name) {
    const std::string set = ReadString("Folders", name.empty() ? "DataFiles" : name, "");
    if (!set.empty()) {
        return set;
    }
    const std::string program = GetProgramFolder();
    if (program.empty() || name.empty()) {
        return program;
    }
    const std::string folder = FilePathCat(program, name);
    CreateFolders(folder, 0755);
    return folder;
}

std::string GetWorkingFolder() {
    // Looked up first, so that the default folder is only made when it is the answer.
    std::optional<std::string> set = CurrentSettingsStore()->Read("Settings", "WorkingFolder");
    return set ? std::move(*set) : GetFolder("Current");
}

std::string TemporaryFolder() {
    const char* set = std::getenv("TMPDIR");
    return set != nullptr && set[0] == '/' ? std::string(set) : std::string("/tmp");
}

}  // namespace sonvara
