#include "cd/cdrom_info.h"

#include <algorithm>

#include "cd/cd_commands.h"

namespace sonvara {

ProcessResult LCDROMInfoProcess::Body() {
    SetText("Loading CD Track List(s)", 0);
    SetText("Please wait...", 1);
    SetProgress(0);
    info_.drives.clear();
    const int count = std::min(drives_.Count(), LCDROMInfo::kMaxDrives);
    for (int index = 0; index < count; ++index) {
        LCDROMInfo::Drive& drive = info_.drives.emplace_back();
        std::unique_ptr<ScsiDevice> device = drives_.Open(index);
        CdToc toc;
        if (device != nullptr) {
            const ScsiResult result = ProcessSCSICDGetTOC(*this, *device, toc);
            if (result == ScsiResult::kCancelled) {
                return PROCESS_STOPPED;
            }
            if (result == ScsiResult::kDone) {
                for (int track = 0; track < toc.tracks; ++track) {
                    drive.track_seconds.push_back(toc.TrackSeconds(track));
                    drive.data_tracks.push_back(toc.data[static_cast<std::size_t>(track)]);
                }
            }
        }
        SetProgress(static_cast<double>(index + 1) / count);
    }
    return PROCESS_DONE;
}

}  // namespace sonvara
