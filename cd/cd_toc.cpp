#include "cd/cd_toc.h"

#include <algorithm>

#include "core/byte_order.h"
#include "core/diagnostics.h"

namespace sonvara {
namespace {

constexpr std::size_t kHeaderBytes = 4;
constexpr std::size_t kDescriptorBytes = 8;
constexpr std::uint8_t kDataTrackControl = 0x04;

}  // namespace

std::int64_t CdToc::TrackBlocks(int track) const {
    if (track < 0 || track >= tracks) {
        return 0;
    }
    const auto index = static_cast<std::size_t>(track);
    return std::max<std::int64_t>(std::int64_t{starts[index + 1]} - starts[index], 0);
}

std::uint16_t CdToc::TrackSeconds(int track) const {
    return static_cast<std::uint16_t>(
        std::min<std::int64_t>(TrackBlocks(track) / kCdBlocksPerSecond, UINT16_MAX));
}

bool ParseToc(std::span<const std::uint8_t> data, CdToc& toc) {
    toc = CdToc{};
    if (data.size() < 2) {
        Diagnose("ParseToc iTracks Failed");
        return false;
    }
    // The length field counts the bytes after itself: two more header bytes, then descriptors.
    const std::size_t length = LoadBE16(data.data());
    const std::size_t entries = length < 2 ? 0 : (length - 2) / kDescriptorBytes;
    if (entries == 0) {
        Diagnose("ParseToc iTracks Failed");
        return false;
    }
    const std::size_t tracks = std::min<std::size_t>(entries - 1, CdToc::kMaxTracks);
    // Only the descriptors that are read must have arrived; a longer claim is a broken drive's.
    if (kHeaderBytes + (tracks + 1) * kDescriptorBytes > data.size()) {
        Diagnose("ParseToc TOC longer than the data received");
        return false;
    }
    for (std::size_t i = 0; i <= tracks; ++i) {
        const std::uint8_t* descriptor = data.data() + kHeaderBytes + i * kDescriptorBytes;
        toc.starts[i] = static_cast<std::int32_t>(LoadBE32(descriptor + 4));
        if (i < tracks) {
            toc.data[i] = (descriptor[1] & kDataTrackControl) != 0;
        }
    }
    toc.tracks = static_cast<int>(tracks);
    return true;
}

}  // namespace sonvara
