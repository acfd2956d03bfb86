#include "core/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "core/diagnostics.h"

namespace sonvara {
namespace {

int AccessFlags(FileAccess access) {
    switch (access) {
        case FileAccess::kRead:
            return O_RDONLY;
        case FileAccess::kWrite:
            return O_WRONLY;
        case FileAccess::kReadWrite:
            return O_RDWR;
    }
    return O_RDONLY;
}

int DispositionFlags(FileDisposition disposition) {
    switch (disposition) {
        case FileDisposition::kCreateAlways:
            return O_CREAT | O_TRUNC;
        case FileDisposition::kCreateNew:
            return O_CREAT | O_EXCL;
        case FileDisposition::kOpenExisting:
            return 0;
        case FileDisposition::kOpenAlways:
            return O_CREAT;
        case FileDisposition::kTruncateExisting:
            return O_TRUNC;
    }
    return 0;
}

}  // namespace

LFile::~LFile() {
    Close();
}

LFile::LFile(LFile&& other) noexcept : descriptor_(other.Release()) {}

LFile& LFile::operator=(LFile&& other) noexcept {
    if (this != &other) {
        Adopt(other.Release());
    }
    return *this;
}

bool LFile::Open(const std::string& path, FileAccess access, FileSharing /*sharing*/,
                 FileDisposition disposition) {
    Close();
    // O_TRUNC on a descriptor opened for reading only is left undefined by POSIX; emptying a
    // file one cannot write is refused here instead.
    if (disposition == FileDisposition::kTruncateExisting && access == FileAccess::kRead) {
        return false;
    }
    const int flags = AccessFlags(access) | DispositionFlags(disposition) | O_CLOEXEC;
    int descriptor;
    do {
        descriptor = ::open(path.c_str(), flags, 0666);
    } while (descriptor < 0 && errno == EINTR);
    descriptor_ = descriptor;
    return IsValid();
}

int LFile::Release() noexcept {
    return std::exchange(descriptor_, -1);
}

void LFile::Adopt(int descriptor) noexcept {
    if (descriptor != descriptor_) {
        Close();
    }
    descriptor_ = descriptor;
}

std::size_t LFile::Read(void* buffer, std::size_t bytes) {
    if (!IsValid()) {
        return 0;
    }
    auto* at = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < bytes) {
        const ssize_t got = ::read(descriptor_, at + done, bytes - done);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (got == 0) {
            break;  // end of the file
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

std::size_t LFile::Write(const void* buffer, std::size_t bytes) {
    if (!IsValid()) {
        return 0;
    }
    const auto* at = static_cast<const unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < bytes) {
        const ssize_t put = ::write(descriptor_, at + done, bytes - done);
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (put == 0) {
            break;  // a device that takes nothing would otherwise spin here
        }
        done += static_cast<std::size_t>(put);
    }
    return done;
}

bool LFile::Seek(std::int64_t offset) {
    if (!IsValid()) {
        Diagnose("LFile::Seek Called on an invalid file");
        return false;
    }
    return ::lseek(descriptor_, static_cast<off_t>(offset), SEEK_SET) >= 0;
}

std::int64_t LFile::Tell() const {
    if (!IsValid()) {
        return 0;
    }
    const off_t offset = ::lseek(descriptor_, 0, SEEK_CUR);
    return offset < 0 ? 0 : static_cast<std::int64_t>(offset);
}

std::int64_t LFile::GetFileSizeBytes() const {
    struct stat status {};
    if (!IsValid() || ::fstat(descriptor_, &status) != 0) {
        return 0;
    }
    return static_cast<std::int64_t>(status.st_size);
}

bool LFile::SetEnd() {
    if (!IsValid()) {
        return false;
    }
    const off_t offset = ::lseek(descriptor_, 0, SEEK_CUR);
    if (offset < 0) {
        return false;
    }
    int result;
    do {
        result = ::ftruncate(descriptor_, offset);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

void LFile::Close() noexcept {
    if (IsValid()) {
        // Linux releases the descriptor even when close reports an error (EINTR included), so
        // retrying could close a descriptor another thread has just been given.
        ::close(descriptor_);
        descriptor_ = -1;
    }
}

}  // namespace sonvara
