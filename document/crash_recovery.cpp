#include "document/crash_recovery.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>
#include <utility>

#include "core/diagnostics.h"
#include "core/file.h"
#include "core/paths.h"
#include "document/cut_list_reader.h"
#include "document/cut_writer.h"
#include "document/recovery_file.h"

namespace sonvara {
namespace {

constexpr const char* kRecoveryPattern = "unsaved-XXXXXX.svr";
constexpr int kRecoverySuffixBytes = 4;  // ".svr"
constexpr std::int32_t kCopyFrames = 16384;

std::int64_t FileBytes(const std::string& path) {
    struct stat status {};
    return !path.empty() && ::stat(path.c_str(), &status) == 0 ? status.st_size : -1;
}

// The recovery files in `folder`, oldest first (the order the documents were opened in).
std::vector<std::string> RecoveryFiles(const std::string& folder) {
    std::vector<std::pair<std::int64_t, std::string>> found;
    for (const std::string& name : FolderEntryNames(folder)) {
        const std::string path = FilePathCat(folder, name);
        struct stat status {};
        if (name.starts_with("unsaved-") && name.ends_with(".svr") &&
            ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
            found.emplace_back(status.st_mtim.tv_sec * 1000000000LL + status.st_mtim.tv_nsec, path);
        }
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> paths;
    for (auto& entry : found) {
        paths.push_back(std::move(entry.second));
    }
    return paths;
}

std::optional<std::string> ReadSmallFile(const std::string& path) {
    LFile file;
    if (!file.Open(path, FileAccess::kRead, FileSharing::kRead, FileDisposition::kOpenExisting)) {
        return std::nullopt;
    }
    const std::int64_t size = file.GetFileSizeBytes();
    // A million records is far more than any document holds.
    if (size < 0 || size > (std::int64_t{1} << 24)) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (file.Read(bytes.data(), bytes.size()) != bytes.size()) {
        return std::nullopt;
    }
    return bytes;
}

// A leftover cut, for a record of `bytes_per_frame`-byte frames that ends `frames_needed` frames
// into it; the silent cut when there is no such leftover or its file is too short.
CutRef TakeLeftover(LAudioCutTank& tank, std::uint16_t number, std::int64_t frames_needed,
                    int bytes_per_frame) {
    if (!tank.IsLeftover(number) ||
        FileBytes(tank.GetAudFilePath(number)) < frames_needed * bytes_per_frame) {
        return CutRef();
    }
    tank.IncRef(number);
    return CutRef::Adopt(tank, number);
}

// A recording's unfinished segment: its file has no finished graph, so its frames are written
// anew into a cut of their own, appended to `audio`. False when its audio could not be kept.
bool TakeUnfinishedCut(LAudioCutTank& tank, std::uint16_t number, LCutListAudio& audio) {
    const int bytes_per_frame = static_cast<int>(sizeof(Sample)) * audio.GetChannels();
    const std::int64_t frames =
        std::min<std::int64_t>(FileBytes(tank.GetAudFilePath(number)) / bytes_per_frame,
                               std::numeric_limits<std::int32_t>::max() - audio.GetLength());
    if (!tank.IsLeftover(number)) {
        return false;
    }
    if (frames <= 0) {
        return true;  // the segment had only begun
    }
    LCutListAudio unfinished(audio.GetSampleRate(), audio.GetChannels());
    unfinished.Records().Append(LCutRecord{TakeLeftover(tank, number, frames, bytes_per_frame),
                                           static_cast<std::int32_t>(frames), kUnityGain, 0});
    LSRCCutListAudio source(unfinished);
    LCutListAudio copy;
    LSNKCutListAudio writer(copy, audio.GetSampleRate(), audio.GetChannels(), tank);
    std::vector<Sample> block(static_cast<std::size_t>(kCopyFrames) * audio.GetChannels());
    for (std::int32_t left = source.GetLength(); left > 0 && !writer.IsError();) {
        const std::int32_t n = std::min(left, kCopyFrames);
        source.Read(block.data(), n);
        writer.Write(block.data(), n);
        left -= n;
    }
    if (!writer.Finish()) {
        return false;
    }
    audio.Insert(audio.GetLength(), copy);
    return true;
}

LRecoveredDocument Rebuild(LAudioCutTank& tank, const LRecoveryContent& content) {
    LRecoveredDocument document{content.name, LCutListAudio(content.sample_rate, content.channels),
                                false};
    const int bytes_per_frame = static_cast<int>(sizeof(Sample)) * content.channels;
    for (const LRecoveryRecord& record : content.records) {
        CutRef cut;
        if (record.number != kSilentCut) {
            cut = TakeLeftover(tank, record.number, std::int64_t{record.start} + record.length,
                               bytes_per_frame);
            document.incomplete |= cut.IsSilent();
        }
        document.audio.Records().Append(
            LCutRecord{std::move(cut), record.length, record.gain, record.start});
    }
    if (content.open_cut != kSilentCut &&
        !TakeUnfinishedCut(tank, content.open_cut, document.audio)) {
        document.incomplete = true;
    }
    return document;
}

}  // namespace

bool LRecoveryJournal::Keep(const std::string& name, const LCutListAudio& audio,
                            std::uint16_t open_cut) {
    if (tank_.Folder().empty()) {
        return false;
    }
    if (path_.empty()) {
        std::string path = FilePathCat(tank_.Folder(), kRecoveryPattern);
        const int descriptor = ::mkstemps(path.data(), kRecoverySuffixBytes);
        if (descriptor < 0) {
            Diagnose("no recovery file can be made in \"" + tank_.Folder() + "\"");
            return false;
        }
        ::close(descriptor);
        path_ = std::move(path);
    }
    LRecoveryContent content{name, audio.GetSampleRate(), audio.GetChannels(), open_cut, {}};
    content.records.reserve(audio.Records().Count());
    for (const LCutRecord& record : audio.Records()) {
        content.records.push_back(
            LRecoveryRecord{record.cut.Number(), record.start, record.length, record.gain});
    }
    std::string bytes = SerializeRecoveryFile(content);
    if (bytes == kept_) {
        return true;
    }
    // Written beside and renamed over, so that a crash leaves the old file or the new one. Not
    // flushed to disk: it guards against the editor dying, as do the cut files it names.
    const std::string temporary = path_ + ".new";
    LFile file;
    const bool written = file.Open(temporary, FileAccess::kWrite, FileSharing::kNone,
                                   FileDisposition::kCreateAlways) &&
                         file.Write(bytes.data(), bytes.size()) == bytes.size() &&
                         ::close(file.Release()) == 0 &&
                         ::rename(temporary.c_str(), path_.c_str()) == 0;
    if (!written) {
        ::unlink(temporary.c_str());
        Diagnose("the recovery file \"" + path_ + "\" cannot be written");
        return false;
    }
    kept_ = std::move(bytes);
    return true;
}

void LRecoveryJournal::Drop() {
    if (!path_.empty()) {
        ::unlink(path_.c_str());
        path_.clear();
        kept_.clear();
    }
}

LCrashRecovery RecoverDocuments(LAudioCutTank& tank) {
    LCrashRecovery recovery;
    for (const std::string& path : RecoveryFiles(tank.Folder())) {
        const std::optional<std::string> bytes = ReadSmallFile(path);
        if (bytes && bytes->empty()) {
            recovery.read_files.push_back(path);  // made, never written: nothing to recover
            continue;
        }
        const std::optional<LRecoveryContent> content =
            bytes ? ParseRecoveryFile(*bytes) : std::nullopt;
        if (!content) {
            recovery.unreadable_files.push_back(path);
            continue;
        }
        recovery.read_files.push_back(path);
        recovery.documents.push_back(Rebuild(tank, *content));
    }
    return recovery;
}

void FinishRecovery(const LCrashRecovery& recovery, LAudioCutTank& tank) {
    for (const std::string& path : recovery.read_files) {
        ::unlink(path.c_str());
    }
    if (recovery.unreadable_files.empty()) {
        tank.ReleaseLeftovers();
    }
}

}  // namespace sonvara
