#pragma once
// The recent-file list: eleven slots in the "Recent" section of the settings, "RecentFile %d"
// with the path and "RecentFileDate%d" with the time of its last use in seconds since 1970.
// Toolkit-free; the frame builds its menu entries from RecentFiles().

#include <cstdint>
#include <string>
#include <vector>

namespace sonvara {

inline constexpr int kRecentFileSlots = 11;

struct RecentFile {
    int slot;  // 1 to 11
    std::string path;
};

// Notes the use of `path` at `now`: its own slot gets the new date; else the first empty slot
// takes it; else the slot with the oldest date (a missing date counts as now) is overwritten.
// An empty path (an untitled file) is not noted.
void AddToRecentFileList(const std::string& path, std::int64_t now);

// The non-empty slots in slot order (not by date).
std::vector<RecentFile> RecentFiles();

}  // namespace sonvara
