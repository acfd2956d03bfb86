#pragma once
// Optical drives simulated from disc images, for tests and for trying the CD import on a machine
// without a drive. A drive answers READ TOC (format 0, block addresses) and READ CD (full
// 2352-byte sectors) the way an MMC drive does, including its failures: a read that reaches past
// the lead-out or covers the image's failing block, an unknown command, a buffer too small. Every
// command block sent is kept, so a test can compare them byte for byte.

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "cd/scsi_device.h"

namespace sonvara {

struct DiscImage {
    struct Track {
        std::int32_t start = 0;  // first block
        bool data = false;       // a data track (its control field says so in the TOC)
    };

    // In disc order. None: the drive has no disc, and READ TOC fails.
    std::vector<Track> tracks;
    // Raw sectors from block 0, 2352 bytes each; the lead-out is the block after the last.
    std::vector<std::uint8_t> sectors;
    // A read that covers this block fails, as a scratched disc's would.
    std::optional<std::int32_t> failing_block;

    std::int32_t LeadOut() const;
};

class ImageDriveList : public CdDriveList {
  public:
    explicit ImageDriveList(std::vector<DiscImage> discs) : discs_(std::move(discs)) {}

    int Count() override { return static_cast<int>(discs_.size()); }
    std::unique_ptr<ScsiDevice> Open(int index) override;

    // Every command block sent to any drive of the list, in order.
    const std::vector<std::vector<std::uint8_t>>& Commands() const { return commands_; }

  private:
    friend class ImageDrive;

    std::vector<DiscImage> discs_;
    std::vector<std::vector<std::uint8_t>> commands_;
};

}  // namespace sonvara
