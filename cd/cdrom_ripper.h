#pragma once
// LCDROMRipper copies one track of a disc into a WAV file of 44100 Hz, 2 channels, 16-bit PCM with
// a 46-byte header (an 18-byte "fmt " chunk). The sectors are copied as they come, 2352 bytes
// each. A data track is not copied (it would play as noise): the copy fails and says so.
//
// The file is written beside the target under a temporary name and takes the target's name only
// when complete: a failed read (reads are not retried), a failed write or a cancel leaves no
// partial file and an existing file of that name as it was. Results: PROCESS_DONE, PROCESS_STOPPED
// after a cancel, PROCESS_FAILED when the drive cannot be opened or read, the track does not
// exist or the file cannot be written.

#include <string>

#include "cd/scsi_device.h"
#include "core/progress_dialog.h"

namespace sonvara {

class LCDROMRipper : public LProgressDialog {
  public:
    // `track` counts from 0.
    LCDROMRipper(std::string caption, CdDriveList& drives, int drive, int track, std::string path)
        : LProgressDialog(std::move(caption)),
          drives_(drives),
          drive_(drive),
          track_(track),
          path_(std::move(path)) {}

  protected:
    ProcessResult Body() override;

  private:
    CdDriveList& drives_;
    int drive_;
    int track_;
    std::string path_;
};

}  // namespace sonvara
