#include "cd/scsi_device.h"

namespace sonvara {

ScsiResult ProcessSCSIExecuteCommand(LProgressDialog& process, ScsiDevice& device,
                                     std::span<const std::uint8_t> cdb,
                                     std::span<std::uint8_t> data,
                                     std::chrono::milliseconds timeout, std::size_t& received) {
    if (process.CheckCancel()) {
        return ScsiResult::kCancelled;
    }
    const std::optional<std::size_t> delivered = device.Execute(cdb, data, timeout);
    if (!delivered || *delivered > data.size()) {
        return ScsiResult::kFailed;
    }
    received = *delivered;
    return ScsiResult::kDone;
}

}  // namespace sonvara
