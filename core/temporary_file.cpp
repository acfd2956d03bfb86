#include "core/temporary_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace sonvara {

TemporaryFile::TemporaryFile(const std::string& target) : path_(target + ".XXXXXX") {
    file_.Adopt(::mkostemp(path_.data(), O_CLOEXEC));
    if (!file_.IsValid()) {
        path_.clear();
    }
}

TemporaryFile::~TemporaryFile() {
    file_.Close();
    if (!path_.empty()) {
        ::unlink(path_.c_str());
    }
}

bool TemporaryFile::SyncAndClose() {
    if (!file_.IsValid()) {
        return false;
    }
    const bool synced = ::fsync(file_.Descriptor()) == 0;
    return ::close(file_.Release()) == 0 && synced;
}

bool TemporaryFile::RenameTo(const std::string& target) {
    if (path_.empty() || ::rename(path_.c_str(), target.c_str()) != 0) {
        return false;
    }
    path_.clear();
    return true;
}

bool ReplaceFileContents(const std::string& path, const void* data, std::size_t bytes) {
    TemporaryFile temporary(path);
    return temporary.IsValid() && temporary.File().Write(data, bytes) == bytes &&
           temporary.SyncAndClose() && temporary.RenameTo(path);
}

mode_t ReplacementMode(const std::string& target) {
    struct stat status {};
    if (::stat(target.c_str(), &status) == 0) {
        return status.st_mode & 07777;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace sonvara
