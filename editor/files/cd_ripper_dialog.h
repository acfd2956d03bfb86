#pragma once
// CDRipperDlg: imports audio tracks from CDs. exec() first lists the drives and the tracks of
// their discs (behind the progress dialog); with no drive it says so and closes at once. The
// drive list shows "CD-ROM 1", "CD-ROM 2", ... and the track list the chosen drive's tracks with
// their durations. OK copies the selected tracks in order, each into "Pista N.wav" in the
// "Current" folder, and stops at the first that fails or is cancelled; the files copied are
// ImportedFiles(), for the frame to open.

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "cd/cdrom_info.h"
#include "cd/scsi_device.h"
#include "core/progress_dialog.h"
#include "core/prompts.h"

class QComboBox;
class QTreeWidget;

namespace sonvara {

class CDRipperDlg : public QDialog {
    Q_OBJECT

  public:
    // `run` runs a process behind the editor's progress dialog.
    using ProcessRunner = std::function<ProcessResult(LProgressDialog&)>;

    CDRipperDlg(CdDriveList& drives, ProcessRunner run, Prompts& prompts, QWidget* parent);

    // Lists the drives and their tracks; false, after telling the user when there is no drive,
    // when there is nothing to show.
    bool LoadDrives();
    const std::vector<std::string>& ImportedFiles() const { return imported_; }

    QComboBox* DriveList() const { return drive_list_; }
    QTreeWidget* TrackList() const { return track_list_; }

  public slots:
    int exec() override;
    void accept() override;

  private:
    void ShowTracks(int drive);

    CdDriveList& drives_;
    ProcessRunner run_;
    Prompts& prompts_;
    LCDROMInfo info_;
    std::vector<std::string> imported_;
    QComboBox* drive_list_;
    QTreeWidget* track_list_;
};

}  // namespace sonvara
