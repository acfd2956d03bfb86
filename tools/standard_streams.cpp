#include "tools/standard_streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "formats/format_table.h"

namespace sonvara {
namespace {

// Copies everything from `from` to `to`; false with errno set when a read or a write fails.
bool CopyDescriptor(int from, int to) {
    std::vector<char> block(1 << 20);
    for (;;) {
        const ssize_t got = ::read(from, block.data(), block.size());
        if (got == 0) {
            return true;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        for (ssize_t sent = 0; sent < got;) {
            const ssize_t wrote =
                ::write(to, block.data() + sent, static_cast<std::size_t>(got - sent));
            if (wrote < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return false;
            }
            sent += wrote;
        }
    }
}

}  // namespace

StandardStreams::~StandardStreams() {
    Remove();
}

bool StandardStreams::MakeFolder(std::string& problem) {
    if (!folder_.empty()) {
        return true;
    }
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/sonvara-batch-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        problem = "no se puede crear una carpeta temporal en \"" + pattern +
                  "\": " + std::strerror(errno);
        return false;
    }
    folder_ = pattern;
    return true;
}

std::optional<std::string> StandardStreams::Input(const std::string& extension,
                                                  std::string& problem) {
    if (!MakeFolder(problem)) {
        return std::nullopt;
    }
    const std::string path = folder_ + "/stdin" + extension;
    const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    bool copied = file >= 0 && CopyDescriptor(STDIN_FILENO, file);
    int error = errno;
    if (file >= 0 && ::close(file) != 0 && copied) {
        copied = false;
        error = errno;
    }
    if (!copied) {
        problem = std::string("no se puede leer la entrada estándar: ") + std::strerror(error);
        return std::nullopt;
    }
    return path;
}

std::optional<std::string> StandardStreams::Output(const std::string& extension,
                                                   std::string& problem) {
    if (!MakeFolder(problem)) {
        return std::nullopt;
    }
    return folder_ + "/stdout" + extension;
}

bool StandardStreams::Send(const std::string& path, std::string& problem) {
    const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const bool sent = file >= 0 && CopyDescriptor(file, STDOUT_FILENO);
    const int error = errno;
    if (file >= 0) {
        ::close(file);
    }
    if (!sent) {
        problem = std::string("no se puede escribir la salida estándar: ") + std::strerror(error);
    }
    return sent;
}

void StandardStreams::Remove() {
    if (!folder_.empty()) {
        std::error_code ignored;  // what cannot be removed stays in the temporary folder
        std::filesystem::remove_all(folder_, ignored);
        folder_.clear();
    }
}

std::optional<std::string> StreamTypeExtension(const std::string& type) {
    std::string extension = type.starts_with(".") ? type : "." + type;
    if (!IsReadableFile("x" + extension) ||
        ExternalDecoderOf("x" + extension) != ExternalDecoder::kNone) {
        return std::nullopt;
    }
    return extension;
}

}  // namespace sonvara
