#include "core/paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace sonvara {
namespace {

constexpr std::string_view kSeparators = "\\/";

// Position of the last separator, or npos.
std::size_t LastSeparator(std::string_view path) {
    return path.find_last_of(kSeparators);
}

// Position of the dot that starts the extension, or npos.
std::size_t ExtensionDot(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot == 0) {
        return std::string_view::npos;
    }
    const std::size_t separator = LastSeparator(path);
    if (separator != std::string_view::npos && dot < separator) {
        return std::string_view::npos;  // the dot belongs to a folder name
    }
    return dot;
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

}  // namespace

bool FitsPathField(std::string_view path) {
    return path.size() <= kMaxPathField && path.find('\0') == std::string_view::npos;
}

bool IsPathSeparator(char c) {
    return c == '\\' || c == '/';
}

std::string ApplyNewFileExtension(std::string_view path, std::string_view ext) {
    const std::size_t dot = ExtensionDot(path);
    if (dot == std::string_view::npos) {
        return std::string(path);
    }
    std::string result(path.substr(0, dot));
    result += ext;
    return result;
}

std::string GetFolderFromPath(std::string_view path) {
    const std::size_t separator = LastSeparator(path);
    if (separator == std::string_view::npos) {
        return {};
    }
    return std::string(path.substr(0, separator));
}

std::string GetFileFromPath(std::string_view path) {
    const std::size_t separator = LastSeparator(path);
    if (separator == std::string_view::npos) {
        return std::string(path);
    }
    return std::string(path.substr(separator + 1));
}

std::string GetFileExtension(std::string_view path) {
    const std::size_t dot = ExtensionDot(path);
    if (dot == std::string_view::npos) {
        return {};
    }
    return std::string(path.substr(dot));
}

std::string GetFileNameWithoutExtension(std::string_view path) {
    std::string name = GetFileFromPath(path);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot != 0) {
        name.resize(dot);
    }
    return name;
}

std::string FilePathCat(std::string_view folder, std::string_view name) {
    std::string result(folder);
    if (!result.empty() && !IsPathSeparator(result.back())) {
        result += '/';
    }
    result += name;
    return result;
}

std::string FilePathCat(std::string_view folder, std::string_view name, std::string_view suffix) {
    std::string result = FilePathCat(folder, name);
    result += suffix;
    return result;
}

std::string GetLongFilePath(const std::string& path) {
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                         &std::free);
    if (!resolved) {
        return path;
    }
    return std::string(resolved.get());
}

std::vector<std::string> FolderEntryNames(const std::string& folder) {
    std::vector<std::string> names;
    if (std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str())); dir) {
        while (const dirent* entry = ::readdir(dir.get())) {
            names.emplace_back(entry->d_name);
        }
    }
    return names;
}

bool DeleteFolderAndFiles(const std::string& folder) {
    const int folder_fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder_fd < 0) {
        return false;
    }
    // fdopendir takes over the descriptor; closedir closes it.
    std::unique_ptr<DIR, DirCloser> dir(::fdopendir(folder_fd));
    if (!dir) {
        ::close(folder_fd);
        return false;
    }
    // The names are gathered first: whether readdir still reports the rest of a folder that is
    // being emptied under it is left open by POSIX.
    std::vector<std::string> files;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (entry->d_name[0] == '.') {
            continue;  // ".", ".." and hidden files stay
        }
        struct stat status {};
        if (::fstatat(folder_fd, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0 ||
            S_ISDIR(status.st_mode)) {
            continue;  // sub-folders are not descended into
        }
        files.emplace_back(entry->d_name);
    }
    for (const std::string& file : files) {
        ::unlinkat(folder_fd, file.c_str(), 0);
    }
    dir.reset();
    return ::rmdir(folder.c_str()) == 0;
}

}  // namespace sonvara
