#pragma once
// LAudioCutTank: the store of cut numbers. Every stretch of audio that enters the editor is
// written once into the working folder as "<n>.aud" (frames of 32-bit little-endian internal
// samples, no header) with its graph "<n>.grf" (block peaks) and its levels "<n>.rms" (block RMS)
// beside it, and documents refer to it by n. The
// tank hands out the lowest free number, counts the references to each, and deletes a number's
// files when the last reference goes. Number 65535 (kSilentCut) names no file: a silent stretch.
//
// The tank owns its working folder while it lives: an exclusive lock on "sonvara.lock" keeps a
// second running editor out (that one works in a fresh sub-folder of its own instead), and at
// the end the tank deletes the numbered files it made, and only those.
//
// Cut files already in the folder when the tank takes it were left by an editor that died. They
// are "leftovers": held, so that their numbers are never handed out and their files never
// deleted, until the owner has recovered what it could from them (crash_recovery.h) and calls
// ReleaseLeftovers. A tank whose owner never does (the batch converter) leaves them for the next
// editor. Sub-folders of a second editor that died (no one holds their lock) are removed when a
// tank starts, unless they hold unsaved work ("*.svr" recovery files).
//
// Any method may be called from any thread; counters change under one lock.

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "audio/sample_format.h"
#include "core/file.h"

namespace sonvara {

inline constexpr std::uint16_t kSilentCut = 65535;

class LAudioCutTank {
  public:
    // Works in `folder`, creating it when it does not exist. When another tank holds the
    // folder's lock, works in a new sub-folder "instance-XXXXXX" of it instead.
    explicit LAudioCutTank(const std::string& folder);
    ~LAudioCutTank();
    LAudioCutTank(const LAudioCutTank&) = delete;
    LAudioCutTank& operator=(const LAudioCutTank&) = delete;

    // The folder the cut files go to; "" when no folder could be made or locked (then every
    // writer's audio is lost and reads as silence).
    const std::string& Folder() const { return folder_; }
    // The folder the tank was asked to work in, usable or not (for messages).
    const std::string& WorkingFolder() const { return working_folder_; }

    // The lowest free number, now with one reference; kSilentCut when all are in use.
    std::uint16_t GetNewRefAndIncRef();
    // One more reference on `number`. Counts are 32-bit, so that a long recording cut into
    // thousands of records and copied into eight undo points stays countable; a count that
    // reaches the limit stays there for good (its files then stay until the end).
    void IncRef(std::uint16_t number);
    // One reference less; the last one deletes the number's files and frees it.
    void DecRef(std::uint16_t number);
    // The references on `number` (0: free).
    std::uint32_t RefCount(std::uint16_t number) const;

    // Whether `number`'s files were left in the folder by an editor that died and are still held.
    bool IsLeftover(std::uint16_t number) const;
    bool HasLeftovers() const;
    // Drops the hold on every leftover: those that no document took a reference on are deleted.
    void ReleaseLeftovers();

    static constexpr std::uint32_t kMaxRefCount = 0xFFFFFFFF;

    // The largest magnitude of the samples in `number`'s file, as its writer saw them; -1 while
    // unknown. Readers use it to tell how loud a document can be without reading it.
    void SetPeak(std::uint16_t number, Sample peak);
    Sample Peak(std::uint16_t number) const;

    // "<folder>/<n>.aud", "<folder>/<n>.grf" and "<folder>/<n>.rms"; "" for kSilentCut.
    std::string GetAudFilePath(std::uint16_t number) const;
    std::string GetGrfFilePath(std::uint16_t number) const;
    std::string GetRmsFilePath(std::uint16_t number) const;

  private:
    void HoldLeftovers();
    void DeleteFiles(std::uint16_t number) const;
    std::string NumberedPath(std::uint16_t number, const char* extension) const;

    std::string working_folder_;
    std::string folder_;
    std::string own_sub_folder_;  // set when this tank made its folder beside another's
    LFile lock_;
    mutable std::mutex mutex_;
    std::array<std::uint32_t, 65536> counts_{};
    std::array<bool, 65536> leftover_{};  // each holds one of counts_ until ReleaseLeftovers
    std::array<Sample, 65536> peaks_;
};

// The tank of this process: made on first use in GetWorkingFolder(), unless one was installed.
LAudioCutTank& CutTank();
// Installs `tank` as the tank of this process (tests give each case its own folder) and returns
// the one it replaces. Installing null makes the next CutTank() make a fresh one.
std::unique_ptr<LAudioCutTank> UseCutTank(std::unique_ptr<LAudioCutTank> tank);

}  // namespace sonvara
