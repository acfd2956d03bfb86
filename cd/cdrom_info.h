#pragma once
// What the CD import shows before it copies: the drives of the machine (at most eight) and, for
// each, the durations of the tracks of its disc. LCDROMInfoProcess fills it in by reading the table
// of contents of every drive.

#include <cstdint>
#include <vector>

#include "cd/scsi_device.h"
#include "core/progress_dialog.h"

namespace sonvara {

struct LCDROMInfo {
    static constexpr int kMaxDrives = 8;

    struct Drive {
        // Each track's duration in seconds, data tracks included; empty when the drive could not
        // be opened or its table of contents read.
        std::vector<std::uint16_t> track_seconds;
        // Whether each track holds data rather than sound: not copied.
        std::vector<bool> data_tracks;
    };
    std::vector<Drive> drives;  // at most kMaxDrives, in the order of the drive list
};

// PROCESS_STOPPED when the user cancelled while a table of contents was being read; a drive that
// cannot be read is no failure of the process.
class LCDROMInfoProcess : public LProgressDialog {
  public:
    LCDROMInfoProcess(std::string caption, CdDriveList& drives, LCDROMInfo& info)
        : LProgressDialog(std::move(caption)), drives_(drives), info_(info) {}

  protected:
    ProcessResult Body() override;

  private:
    CdDriveList& drives_;
    LCDROMInfo& info_;
};

}  // namespace sonvara
