#pragma once
// The user's settings, kept in one text file (format in ini_settings_text.h), by default
// $XDG_CONFIG_HOME/Vellumtone/Sonvara.conf.
//
// Reads parse the file once and keep the result until the file changes, which they notice by its
// identity, size and modification time, so a change made by another process is seen on the next
// read. A file that is missing, unreadable or damaged reads as missing values (the callers'
// defaults) and is never touched by a read.
//
// A write changes one value (or several at once): under a lock held by this object and an flock on
// the side file
// "<file>.lock" (which keeps other processes out too), it reads the file afresh, sets the values,
// writes the whole text to a new temporary file beside it, flushes that to disk and renames it
// over the file. Readers therefore see the old file or the new one, never a part. A file that
// exists but cannot be read is left alone rather than replaced with one that lacks the user's
// other settings. Any object may be used from several threads.

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "core/settings.h"

namespace sonvara {

// $XDG_CONFIG_HOME/Vellumtone/Sonvara.conf, with ~/.config when XDG_CONFIG_HOME is not an
// absolute path; "" when there is no home folder.
std::string DefaultSettingsPath();

class IniSettingsFile : public SettingsStore {
  public:
    explicit IniSettingsFile(std::string path);

    std::optional<std::string> Read(std::string_view section, std::string_view name) const override;
    bool Write(std::string_view section, std::string_view name, std::string_view value) override;
    // All the values in one rewrite of the file: all of them are stored or none.
    bool WriteAll(const std::vector<SettingsValue>& values) override;

    const std::string& Path() const { return path_; }

  private:
    // What tells one version of the file from another.
    struct Stamp {
        dev_t device = 0;
        ino_t inode = 0;
        std::int64_t size = 0;
        std::int64_t modified_ns = 0;
        static Stamp Of(const struct stat& status);
        bool operator==(const Stamp&) const = default;
    };

    // Updates the cached content from the file when the file has changed.
    void Refresh() const;

    const std::string path_;
    mutable std::mutex mutex_;
    // Guarded by mutex_. No stamp: the file was missing or unreadable when last looked at.
    mutable std::optional<Stamp> stamp_;
    mutable SettingsContent content_;
};

}  // namespace sonvara
