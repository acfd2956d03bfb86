#include "cd/image_drive.h"

#include <algorithm>

#include "cd/cd_commands.h"
#include "core/byte_order.h"

namespace sonvara {
namespace {

constexpr std::uint8_t kLeadOutTrack = 0xAA;
// The control field of a TOC descriptor: ADR 1 (position data), and bit 2 for a data track.
constexpr std::uint8_t kAudioControl = 0x10;
constexpr std::uint8_t kDataControl = 0x14;

std::vector<std::uint8_t> TocBytes(const DiscImage& disc, int first_track) {
    std::vector<std::uint8_t> toc = {0, 0, 1, static_cast<std::uint8_t>(disc.tracks.size())};
    auto descriptor = [&toc](std::uint8_t control, std::uint8_t number, std::int32_t start) {
        toc.insert(toc.end(), {0, control, number, 0});
        AppendBE32(toc, static_cast<std::uint32_t>(start));
    };
    for (std::size_t i = 0; i < disc.tracks.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        if (number >= first_track) {
            descriptor(disc.tracks[i].data ? kDataControl : kAudioControl,
                       static_cast<std::uint8_t>(number), disc.tracks[i].start);
        }
    }
    descriptor(kAudioControl, kLeadOutTrack, disc.LeadOut());
    StoreBE16(toc.data(), static_cast<std::uint16_t>(toc.size() - 2));
    return toc;
}

}  // namespace

std::int32_t DiscImage::LeadOut() const {
    return static_cast<std::int32_t>(sectors.size() / kCdSectorBytes);
}

class ImageDrive : public ScsiDevice {
  public:
    ImageDrive(ImageDriveList& list, const DiscImage& disc) : list_(list), disc_(disc) {}

    std::optional<std::size_t> Execute(std::span<const std::uint8_t> cdb,
                                       std::span<std::uint8_t> data,
                                       std::chrono::milliseconds) override {
        list_.commands_.emplace_back(cdb.begin(), cdb.end());
        if (cdb.size() == 10 && cdb[0] == kReadTocOperation) {
            return ReadToc(cdb, data);
        }
        if (cdb.size() == 12 && cdb[0] == kReadCdOperation) {
            return ReadCd(cdb, data);
        }
        return std::nullopt;
    }

  private:
    // Format 0 in block addresses only; the answer is cut at the allocation length.
    std::optional<std::size_t> ReadToc(std::span<const std::uint8_t> cdb,
                                       std::span<std::uint8_t> data) const {
        const bool msf = (cdb[1] & 0x02) != 0;
        const int format = cdb[2] & 0x0F;
        if (disc_.tracks.empty() || msf || format != 0 ||
            cdb[6] > static_cast<int>(disc_.tracks.size())) {
            return std::nullopt;
        }
        const std::vector<std::uint8_t> toc = TocBytes(disc_, cdb[6]);
        const std::size_t allocation = LoadBE16(&cdb[7]);
        const std::size_t bytes = std::min({toc.size(), allocation, data.size()});
        std::copy_n(toc.begin(), bytes, data.begin());
        return bytes;
    }

    // Any sector type, full sectors, no C2 or subchannel data: nothing else is simulated.
    std::optional<std::size_t> ReadCd(std::span<const std::uint8_t> cdb,
                                      std::span<std::uint8_t> data) const {
        const auto first = static_cast<std::int32_t>(LoadBE32(&cdb[2]));
        const std::int64_t count = std::int64_t{cdb[6]} << 16 | cdb[7] << 8 | cdb[8];
        const std::int64_t end = std::int64_t{first} + count;
        if (cdb[1] != 0 || cdb[9] != 0xF0 || cdb[10] != 0 || first < 0 || end > disc_.LeadOut() ||
            data.size() < static_cast<std::size_t>(count) * kCdSectorBytes ||
            (disc_.failing_block && *disc_.failing_block >= first && *disc_.failing_block < end)) {
            return std::nullopt;
        }
        const auto bytes = static_cast<std::size_t>(count) * kCdSectorBytes;
        std::copy_n(disc_.sectors.begin() + static_cast<std::ptrdiff_t>(first * kCdSectorBytes),
                    bytes, data.begin());
        return bytes;
    }

    ImageDriveList& list_;
    const DiscImage& disc_;
};

std::unique_ptr<ScsiDevice> ImageDriveList::Open(int index) {
    if (index < 0 || index >= Count()) {
        return nullptr;
    }
    return std::make_unique<ImageDrive>(*this, discs_[static_cast<std::size_t>(index)]);
}

}  // namespace sonvara
