#include "platform/ini_settings_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

#include "core/file.h"
#include "core/folders.h"
#include "core/paths.h"
#include "core/temporary_file.h"
#include "platform/ini_settings_text.h"

namespace sonvara {
namespace {

// Settings files are a few kilobytes. Anything beyond this is not one (a path pointing at the
// wrong file) and is treated as unreadable rather than loaded into memory.
constexpr std::int64_t kMaxSettingsFileBytes = 16 << 20;

enum class ReadOutcome { kRead, kMissing, kFailed };

struct FileText {
    std::string text;
    struct stat status {};
};

ReadOutcome ReadFileText(const std::string& path, FileText& file) {
    LFile input;
    if (!input.Open(path, FileAccess::kRead, FileSharing::kReadWrite,
                    FileDisposition::kOpenExisting)) {
        return errno == ENOENT ? ReadOutcome::kMissing : ReadOutcome::kFailed;
    }
    if (::fstat(input.Descriptor(), &file.status) != 0 || !S_ISREG(file.status.st_mode) ||
        file.status.st_size > kMaxSettingsFileBytes) {
        return ReadOutcome::kFailed;
    }
    // Read to the end rather than trusting the size: the file may be growing under us.
    file.text.clear();
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(input.Descriptor(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return ReadOutcome::kFailed;
        }
        if (got == 0) {
            return ReadOutcome::kRead;
        }
        file.text.append(buffer, static_cast<std::size_t>(got));
        if (static_cast<std::int64_t>(file.text.size()) > kMaxSettingsFileBytes) {
            return ReadOutcome::kFailed;
        }
    }
}

bool WriteText(int descriptor, std::string_view text) {
    while (!text.empty()) {
        const ssize_t put = ::write(descriptor, text.data(), text.size());
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

// Holds an exclusive flock on the side lock file while it lives.
class FileLock {
  public:
    explicit FileLock(const std::string& path)
        : file_(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
        if (!file_.IsValid()) {
            return;
        }
        int result;
        do {
            result = ::flock(file_.Descriptor(), LOCK_EX);
        } while (result != 0 && errno == EINTR);
        locked_ = result == 0;
    }
    // Closing the descriptor releases the lock.
    bool IsLocked() const { return locked_; }

  private:
    LFile file_;
    bool locked_ = false;
};

}  // namespace

std::string DefaultSettingsPath() {
    const std::string base = XdgBaseFolder("XDG_CONFIG_HOME", ".config");
    if (base.empty()) {
        return {};
    }
    return base + "/Vellumtone/Sonvara.conf";
}

IniSettingsFile::Stamp IniSettingsFile::Stamp::Of(const struct stat& status) {
    return Stamp{
        status.st_dev, status.st_ino, static_cast<std::int64_t>(status.st_size),
        static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec};
}

IniSettingsFile::IniSettingsFile(std::string path) : path_(std::move(path)) {}

void IniSettingsFile::Refresh() const {
    struct stat status {};
    if (::stat(path_.c_str(), &status) != 0) {
        stamp_.reset();
        content_.clear();
        return;
    }
    if (stamp_ == Stamp::Of(status)) {
        return;
    }
    FileText file;
    if (ReadFileText(path_, file) != ReadOutcome::kRead) {
        stamp_.reset();
        content_.clear();
        return;
    }
    // The stamp of the file actually read, which may be newer than the one just looked at.
    stamp_ = Stamp::Of(file.status);
    content_ = ParseIniSettings(file.text);
}

std::optional<std::string> IniSettingsFile::Read(std::string_view section,
                                                 std::string_view name) const {
    std::lock_guard lock(mutex_);
    Refresh();
    return FindSettingsValue(content_, section, name);
}

bool IniSettingsFile::Write(std::string_view section, std::string_view name,
                            std::string_view value) {
    return WriteAll({{std::string(section), std::string(name), std::string(value)}});
}

bool IniSettingsFile::WriteAll(const std::vector<SettingsValue>& values) {
    std::lock_guard lock(mutex_);
    if (path_.empty()) {
        return false;
    }
    // Folders made here hold the user's configuration: private to the user, as XDG asks.
    const std::size_t slash = path_.rfind('/');
    if (slash != std::string::npos && slash > 0 && !CreateFolders(path_.substr(0, slash), 0700)) {
        return false;
    }
    FileLock file_lock(path_ + ".lock");
    if (!file_lock.IsLocked()) {
        return false;
    }
    // A settings file that is a link (to a dotfiles repository, say) stays one: the new text
    // replaces the file the link points to.
    const std::string target = GetLongFilePath(path_);

    FileText current;
    const ReadOutcome outcome = ReadFileText(target, current);
    if (outcome == ReadOutcome::kFailed) {
        return false;  // replacing it would lose every other setting in it
    }
    SettingsContent content;
    if (outcome == ReadOutcome::kRead) {
        content = ParseIniSettings(current.text);
    }
    // A file that holds every value already is left as it is.
    bool changed = outcome != ReadOutcome::kRead;
    for (const SettingsValue& value : values) {
        if (FindSettingsValue(content, value.section, value.name) != value.value) {
            SetSettingsValue(content, value.section, value.name, value.value);
            changed = true;
        }
    }
    if (!changed) {
        return true;
    }
    const std::string text = SerializeIniSettings(content);

    TemporaryFile temporary(target);
    if (!temporary.IsValid()) {
        return false;
    }
    if (outcome == ReadOutcome::kRead) {
        ::fchmod(temporary.Descriptor(), current.status.st_mode & 0777);
    }
    // The text is on disk before the rename makes it the settings file, so a crash leaves the
    // old file or the new one, never an empty one. The folder itself is not flushed: a crash
    // may at worst lose this change.
    struct stat written {};
    if (!WriteText(temporary.Descriptor(), text) ||
        ::fstat(temporary.Descriptor(), &written) != 0 || !temporary.SyncAndClose() ||
        !temporary.RenameTo(target)) {
        return false;
    }
    // The rename keeps the inode and modification time, so this is the stamp a read will see.
    stamp_ = Stamp::Of(written);
    content_ = std::move(content);
    return true;
}

}  // namespace sonvara
