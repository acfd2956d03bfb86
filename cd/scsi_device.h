#pragma once
// The optical drives and the commands sent to them. A ScsiDevice executes one command block with
// data coming in from the drive; a CdDriveList numbers the drives of the machine and opens them.
// Backends: SG_IO on the system's drives (sg_io_drives.h) and drives simulated from disc images
// for tests (image_drive.h).
//
// Commands are sent from a process on the interface thread, so a device is used by one thread at a
// time. A device opened from a list must not outlive the list.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "core/progress_dialog.h"

namespace sonvara {

class ScsiDevice {
  public:
    virtual ~ScsiDevice() = default;

    // Sends `cdb` and lets the drive fill `data`, waiting at most `timeout`. Returns the bytes the
    // drive delivered (at most data.size()), or nothing when the command failed.
    virtual std::optional<std::size_t> Execute(std::span<const std::uint8_t> cdb,
                                               std::span<std::uint8_t> data,
                                               std::chrono::milliseconds timeout) = 0;
};

class CdDriveList {
  public:
    virtual ~CdDriveList() = default;

    virtual int Count() = 0;
    // The index-th drive (from 0, in the order of the list); nullptr when it cannot be opened.
    virtual std::unique_ptr<ScsiDevice> Open(int index) = 0;
};

enum class ScsiResult : int {
    kDone = 0,
    kCancelled = 1,  // the user cancelled the process before the command was sent or while it ran
    kFailed = 2,
};

// Executes one command for `process`, on a thread of its own while the process answers the
// interface (a drive may take seconds): a cancel of the process, seen before the command is sent
// or while it runs, ends it with kCancelled (once the drive has answered). `received` is set to
// the bytes delivered when the result is kDone.
ScsiResult ProcessSCSIExecuteCommand(LProgressDialog& process, ScsiDevice& device,
                                     std::span<const std::uint8_t> cdb,
                                     std::span<std::uint8_t> data,
                                     std::chrono::milliseconds timeout, std::size_t& received);

}  // namespace sonvara
