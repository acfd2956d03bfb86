#pragma once
// The machine's optical drives, driven with SG_IO. The drives are the ones the kernel's CD-ROM
// driver lists ("drive name:" in /proc/sys/dev/cdrom/info), else the /dev/sr* devices, in the
// order of their numbers (sr0 first). A drive is opened read-only and non-blocking, so that one
// without a disc opens too; READ TOC and READ CD are allowed on a read-only descriptor.

#include <memory>
#include <string>
#include <vector>

#include "cd/scsi_device.h"

namespace sonvara {

class SgIoDriveList : public CdDriveList {
  public:
    // The folders are the system's; tests give others.
    explicit SgIoDriveList(const std::string& info_path = "/proc/sys/dev/cdrom/info",
                           std::string device_folder = "/dev");

    int Count() override { return static_cast<int>(names_.size()); }
    std::unique_ptr<ScsiDevice> Open(int index) override;

    // The device names found ("sr0", "sr1", ...).
    const std::vector<std::string>& Names() const { return names_; }

  private:
    std::string device_folder_;
    std::vector<std::string> names_;
};

// The drive names of the CD-ROM driver's information text, in the order of their numbers; names
// that are not plain letters and digits are left out.
std::vector<std::string> CdromInfoDriveNames(const std::string& info_text);

}  // namespace sonvara
