#include "cd/scsi_device.h"

#include <future>

namespace sonvara {
namespace {

// How often a process waiting for a drive answers the interface.
constexpr std::chrono::milliseconds kCommandPoll{50};

}  // namespace

ScsiResult ProcessSCSIExecuteCommand(LProgressDialog& process, ScsiDevice& device,
                                     std::span<const std::uint8_t> cdb,
                                     std::span<std::uint8_t> data,
                                     std::chrono::milliseconds timeout, std::size_t& received) {
    if (process.CheckCancel()) {
        return ScsiResult::kCancelled;
    }
    // The drive may take up to the time-out (a scratched disc): the command runs on a thread of
    // its own while the process goes on answering the interface. A command cannot be taken back
    // once sent, so a cancel meanwhile ends the process when it returns.
    std::future<std::optional<std::size_t>> command =
        std::async(std::launch::async, [&] { return device.Execute(cdb, data, timeout); });
    bool cancelled = false;
    while (command.wait_for(kCommandPoll) != std::future_status::ready) {
        cancelled = process.CheckCancel() || cancelled;
    }
    const std::optional<std::size_t> delivered = command.get();
    if (cancelled) {
        return ScsiResult::kCancelled;
    }
    if (!delivered || *delivered > data.size()) {
        return ScsiResult::kFailed;
    }
    received = *delivered;
    return ScsiResult::kDone;
}

}  // namespace sonvara
