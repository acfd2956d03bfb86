#include "editor_model/recent_files.h"

#include <cctype>
#include <charconv>

#include "core/settings.h"

namespace sonvara {
namespace {

constexpr const char* kSection = "Recent";

std::string PathName(int slot) {
    return "RecentFile " + std::to_string(slot);
}
std::string DateName(int slot) {
    return "RecentFileDate" + std::to_string(slot);
}

bool SamePathIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::int64_t ReadDate(int slot, std::int64_t now) {
    const std::string text = ReadString(kSection, DateName(slot), "");
    std::int64_t date = now;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), date);
    return error == std::errc() && end != text.data() ? date : now;
}

void Store(int slot, const std::string& path, std::int64_t now) {
    WriteString(kSection, PathName(slot), path);
    WriteString(kSection, DateName(slot), std::to_string(now));
}

}  // namespace

void AddToRecentFileList(const std::string& path, std::int64_t now) {
    if (path.empty()) {
        return;
    }
    int oldest = 1;
    std::int64_t oldest_date = 0;
    for (int slot = 1; slot <= kRecentFileSlots; ++slot) {
        const std::string held = ReadString(kSection, PathName(slot), "");
        if (held.empty()) {
            Store(slot, path, now);
            return;
        }
        if (SamePathIgnoringCase(held, path)) {
            WriteString(kSection, DateName(slot), std::to_string(now));
            return;
        }
        const std::int64_t date = ReadDate(slot, now);
        if (slot == 1 || date < oldest_date) {
            oldest = slot;
            oldest_date = date;
        }
    }
    Store(oldest, path, now);
}

std::vector<RecentFile> RecentFiles() {
    std::vector<RecentFile> files;
    for (int slot = 1; slot <= kRecentFileSlots; ++slot) {
        std::string path = ReadString(kSection, PathName(slot), "");
        if (!path.empty()) {
            files.push_back({slot, std::move(path)});
        }
    }
    return files;
}

}  // namespace sonvara
