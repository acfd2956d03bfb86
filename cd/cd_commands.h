#pragma once
// The two commands the CD import sends (MMC, data coming in): READ TOC for the table of contents
// and READ CD for raw audio sectors, and the reads built on them.

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>

#include "cd/cd_toc.h"
#include "cd/scsi_device.h"

namespace sonvara {

// A sector read raw: sync, headers, user data and EDC/ECC; for an audio track, 588 frames of
// 16-bit stereo at 44100 Hz.
constexpr std::size_t kCdSectorBytes = 2352;
// The table of contents is asked for with room for this many bytes.
constexpr std::size_t kCdTocBytes = 2048;
constexpr std::chrono::milliseconds kReadTocTimeout{20000};
// The operation codes of the two commands (the first byte of each command block).
constexpr std::uint8_t kReadTocOperation = 0x43;
constexpr std::uint8_t kReadCdOperation = 0xBE;
constexpr std::chrono::milliseconds kReadCdTimeout{10000};

// READ TOC, format 0, addresses as block numbers, from track 1, kCdTocBytes allowed.
std::array<std::uint8_t, 10> ReadTocCommand();
// READ CD of `count` sectors (at most 255) from `first_block`, of any sector type, full 2352-byte
// sectors without C2 or subchannel data.
std::array<std::uint8_t, 12> ReadCdCommand(std::int32_t first_block, std::uint8_t count);

// Reads the table of contents of `device` for `process`. kFailed also when the data is not a
// table of contents.
ScsiResult ProcessSCSICDGetTOC(LProgressDialog& process, ScsiDevice& device, CdToc& toc);

// Reads `count` sectors from `first_block` into the start of `buffer`, which holds at least
// count × kCdSectorBytes bytes. kFailed also when the drive delivers fewer bytes.
ScsiResult ProcessSCSICDReadDASectors(LProgressDialog& process, ScsiDevice& device,
                                      std::int32_t first_block, std::uint8_t count,
                                      std::span<std::uint8_t> buffer);

}  // namespace sonvara
