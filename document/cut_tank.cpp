#include "document/cut_tank.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <string_view>
#include <vector>

#include "core/diagnostics.h"
#include "core/folders.h"
#include "core/paths.h"

namespace sonvara {
namespace {

constexpr const char* kLockName = "sonvara.lock";
constexpr std::string_view kInstancePrefix = "instance-";
// A sub-folder younger than this may belong to an editor that is still between making it and
// locking it.
constexpr std::time_t kAbandonedAfterSeconds = 60;

// Locks "sonvara.lock" in `folder` for this tank alone; an invalid file when another holds it.
LFile LockFolder(const std::string& folder) {
    LFile lock(::open(FilePathCat(folder, kLockName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!lock.IsValid()) {
        return lock;
    }
    int result;
    do {
        result = ::flock(lock.Descriptor(), LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        lock.Close();
    }
    return lock;
}

// The number of a file the tank makes (a decimal number followed by ".aud", ".grf" or ".rms"):
// 0 to 65534, 65535 for a larger number, -1 for any other name.
int CutFileNumber(std::string_view name) {
    if (name.size() < 5 ||
        !(name.ends_with(".aud") || name.ends_with(".grf") || name.ends_with(".rms"))) {
        return -1;
    }
    std::string_view digits = name.substr(0, name.size() - 4);
    int number = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return -1;
        }
        number = std::min(number * 10 + (c - '0'), int{kSilentCut});
    }
    return number;
}

// Deletes the numbered files in `folder` for which `doomed` says so; anything else there is the
// user's.
template <typename Doomed>
void DeleteCutFiles(const std::string& folder, Doomed doomed) {
    for (const std::string& name : FolderEntryNames(folder)) {
        const int number = CutFileNumber(name);
        if (number >= 0 && doomed(number)) {
            ::unlink(FilePathCat(folder, name).c_str());
        }
    }
}

bool HoldsRecoveryFiles(const std::string& folder) {
    const std::vector<std::string> names = FolderEntryNames(folder);
    return std::any_of(names.begin(), names.end(),
                       [](const std::string& name) { return name.ends_with(".svr"); });
}

// Removes the sub-folders "instance-XXXXXX" of `folder` that an editor which ended without
// cleaning up (a crash, a kill) left behind: those whose lock no one holds. Their cut files go
// with them; a folder that holds anything else stays, and one with unsaved work is not touched.
void RemoveAbandonedInstanceFolders(const std::string& folder) {
    std::vector<std::string> candidates;
    for (const std::string& name : FolderEntryNames(folder)) {
        if (std::string_view(name).starts_with(kInstancePrefix)) {
            candidates.push_back(FilePathCat(folder, name));
        }
    }
    for (const std::string& sub : candidates) {
        struct stat status {};
        if (::lstat(sub.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) ||
            std::time(nullptr) - status.st_mtime < kAbandonedAfterSeconds) {
            continue;
        }
        const std::string lock_path = FilePathCat(sub, kLockName);
        if (::access(lock_path.c_str(), F_OK) != 0) {
            continue;  // not one a tank made
        }
        LFile lock = LockFolder(sub);
        if (!lock.IsValid() || HoldsRecoveryFiles(sub)) {
            continue;  // its editor is running, or it died with unsaved work
        }
        DeleteCutFiles(sub, [](int) { return true; });
        ::unlink(lock_path.c_str());
        ::rmdir(sub.c_str());
    }
}

std::mutex& InstalledTankMutex() {
    static std::mutex mutex;
    return mutex;
}

std::unique_ptr<LAudioCutTank>& InstalledTank() {
    static std::unique_ptr<LAudioCutTank> tank;
    return tank;
}

}  // namespace

LAudioCutTank::LAudioCutTank(const std::string& folder) : working_folder_(folder) {
    peaks_.fill(-1);
    if (folder.empty() || !CreateFolders(folder, 0700)) {
        Diagnose("the working folder \"" + folder + "\" cannot be made; audio cannot be kept");
        return;
    }
    RemoveAbandonedInstanceFolders(folder);
    lock_ = LockFolder(folder);
    if (lock_.IsValid()) {
        folder_ = folder;
        HoldLeftovers();
        return;
    }
    // Another editor works here: deleting or reusing its numbers would destroy its documents.
    std::string sub = FilePathCat(folder, "instance-XXXXXX");
    if (::mkdtemp(sub.data()) == nullptr) {
        Diagnose("no folder of its own can be made in \"" + folder + "\"; audio cannot be kept");
        return;
    }
    lock_ = LockFolder(sub);
    folder_ = sub;
    own_sub_folder_ = sub;
}

LAudioCutTank::~LAudioCutTank() {
    if (folder_.empty()) {
        return;
    }
    // Leftovers still held belong to the next editor's recovery.
    DeleteCutFiles(folder_, [this](int number) {
        return number == kSilentCut || !leftover_[static_cast<std::size_t>(number)];
    });
    if (!own_sub_folder_.empty()) {
        ::unlink(FilePathCat(own_sub_folder_, kLockName).c_str());
        ::rmdir(own_sub_folder_.c_str());
    }
    lock_.Close();
}

std::uint16_t LAudioCutTank::GetNewRefAndIncRef() {
    std::lock_guard lock(mutex_);
    for (std::size_t number = 0; number < kSilentCut; ++number) {
        if (counts_[number] == 0) {
            counts_[number] = 1;
            peaks_[number] = -1;
            return static_cast<std::uint16_t>(number);
        }
    }
    return kSilentCut;
}

void LAudioCutTank::IncRef(std::uint16_t number) {
    if (number == kSilentCut) {
        return;
    }
    std::lock_guard lock(mutex_);
    if (counts_[number] != kMaxRefCount) {
        ++counts_[number];
    }
}

void LAudioCutTank::DecRef(std::uint16_t number) {
    if (number == kSilentCut) {
        return;
    }
    std::lock_guard lock(mutex_);
    if (counts_[number] == kMaxRefCount) {
        return;  // saturated: the count is no longer known, so the files stay
    }
    if (counts_[number] < 2) {
        DeleteFiles(number);
        counts_[number] = 0;
    } else {
        --counts_[number];
    }
}

std::uint32_t LAudioCutTank::RefCount(std::uint16_t number) const {
    std::lock_guard lock(mutex_);
    return counts_[number];
}

void LAudioCutTank::HoldLeftovers() {
    for (const std::string& name : FolderEntryNames(folder_)) {
        const int number = CutFileNumber(name);
        if (number >= 0 && number != kSilentCut) {
            const auto index = static_cast<std::size_t>(number);
            leftover_[index] = true;
            counts_[index] = 1;
        }
    }
}

bool LAudioCutTank::IsLeftover(std::uint16_t number) const {
    std::lock_guard lock(mutex_);
    return leftover_[number];
}

bool LAudioCutTank::HasLeftovers() const {
    std::lock_guard lock(mutex_);
    return std::find(leftover_.begin(), leftover_.end(), true) != leftover_.end();
}

void LAudioCutTank::ReleaseLeftovers() {
    std::vector<std::uint16_t> held;
    {
        std::lock_guard lock(mutex_);
        for (std::size_t number = 0; number < kSilentCut; ++number) {
            if (leftover_[number]) {
                leftover_[number] = false;
                held.push_back(static_cast<std::uint16_t>(number));
            }
        }
    }
    for (std::uint16_t number : held) {
        DecRef(number);
    }
}

void LAudioCutTank::SetPeak(std::uint16_t number, Sample peak) {
    std::lock_guard lock(mutex_);
    peaks_[number] = peak;
}

Sample LAudioCutTank::Peak(std::uint16_t number) const {
    std::lock_guard lock(mutex_);
    return peaks_[number];
}

std::string LAudioCutTank::NumberedPath(std::uint16_t number, const char* extension) const {
    if (number == kSilentCut || folder_.empty()) {
        return {};
    }
    return FilePathCat(folder_, std::to_string(number) + extension);
}

std::string LAudioCutTank::GetAudFilePath(std::uint16_t number) const {
    return NumberedPath(number, ".aud");
}

std::string LAudioCutTank::GetGrfFilePath(std::uint16_t number) const {
    return NumberedPath(number, ".grf");
}

std::string LAudioCutTank::GetRmsFilePath(std::uint16_t number) const {
    return NumberedPath(number, ".rms");
}

void LAudioCutTank::DeleteFiles(std::uint16_t number) const {
    for (const std::string& path :
         {GetAudFilePath(number), GetGrfFilePath(number), GetRmsFilePath(number)}) {
        if (!path.empty()) {
            ::unlink(path.c_str());
        }
    }
}

LAudioCutTank& CutTank() {
    std::lock_guard lock(InstalledTankMutex());
    std::unique_ptr<LAudioCutTank>& tank = InstalledTank();
    if (!tank) {
        tank = std::make_unique<LAudioCutTank>(GetWorkingFolder());
    }
    return *tank;
}

std::unique_ptr<LAudioCutTank> UseCutTank(std::unique_ptr<LAudioCutTank> tank) {
    std::lock_guard lock(InstalledTankMutex());
    std::swap(InstalledTank(), tank);
    return tank;
}

}  // namespace sonvara
