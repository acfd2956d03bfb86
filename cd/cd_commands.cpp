#include "cd/cd_commands.h"

#include <vector>

#include "core/byte_order.h"
#include "core/diagnostics.h"

namespace sonvara {
namespace {

// READ CD byte 9: sync, all headers, user data and EDC/ECC.
constexpr std::uint8_t kFullSector = 0xF0;

}  // namespace

std::array<std::uint8_t, 10> ReadTocCommand() {
    return {kReadTocOperation,  0x00, 0x00, 0x00, 0x00, 0x00, 0x01, kCdTocBytes >> 8,
            kCdTocBytes & 0xFF, 0x00};
}

std::array<std::uint8_t, 12> ReadCdCommand(std::int32_t first_block, std::uint8_t count) {
    std::array<std::uint8_t, 12> cdb{};
    cdb[0] = kReadCdOperation;
    StoreBE32(&cdb[2], static_cast<std::uint32_t>(first_block));
    cdb[8] = count;  // the transfer length's low byte
    cdb[9] = kFullSector;
    return cdb;
}

ScsiResult ProcessSCSICDGetTOC(LProgressDialog& process, ScsiDevice& device, CdToc& toc) {
    std::vector<std::uint8_t> data(kCdTocBytes);
    std::size_t received = 0;
    const ScsiResult result = ProcessSCSIExecuteCommand(process, device, ReadTocCommand(), data,
                                                        kReadTocTimeout, received);
    if (result != ScsiResult::kDone) {
        return result;
    }
    return ParseToc(std::span(data).first(received), toc) ? ScsiResult::kDone : ScsiResult::kFailed;
}

ScsiResult ProcessSCSICDReadDASectors(LProgressDialog& process, ScsiDevice& device,
                                      std::int32_t first_block, std::uint8_t count,
                                      std::span<std::uint8_t> buffer) {
    const std::size_t bytes = count * kCdSectorBytes;
    if (buffer.size() < bytes) {
        Diagnose("ProcessSCSICDReadDASectors buffer too small");
        return ScsiResult::kFailed;
    }
    std::size_t received = 0;
    const ScsiResult result =
        ProcessSCSIExecuteCommand(process, device, ReadCdCommand(first_block, count),
                                  buffer.first(bytes), kReadCdTimeout, received);
    if (result == ScsiResult::kDone && received != bytes) {
        Diagnose("ProcessSCSICDReadDASectors short read");
        return ScsiResult::kFailed;
    }
    return result;
}

}  // namespace sonvara
