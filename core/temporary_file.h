#pragma once
// Replacing a file safely: the new content goes into a uniquely named temporary file beside the
// target and is renamed over it only when all of it was written, so a failure or a crash leaves
// the old file or the new one, never a part of either.

#include <sys/types.h>

#include <cstddef>
#include <string>

#include "core/file.h"

namespace sonvara {

// A new, uniquely named file "<target>.XXXXXX" in the target's folder, removed by the destructor
// unless it was renamed into place.
class TemporaryFile {
  public:
    explicit TemporaryFile(const std::string& target);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool IsValid() const { return file_.IsValid(); }
    int Descriptor() const { return file_.Descriptor(); }
    LFile& File() { return file_; }
    const std::string& Path() const { return path_; }

    // Flushes the content to disk and closes the file, reporting a failure of either (some file
    // systems report a failed write only there).
    bool SyncAndClose();
    bool RenameTo(const std::string& target);

  private:
    std::string path_;
    LFile file_;
};

// The mode a file put in `target`'s place gets: the old file's, or that of any new file (0666 less
// the umask). The temporary file itself is private to the user until then.
mode_t ReplacementMode(const std::string& target);

// Replaces `path` with `bytes` bytes of `data` as described above. Returns whether the new
// content is in place.
bool ReplaceFileContents(const std::string& path, const void* data, std::size_t bytes);

}  // namespace sonvara
