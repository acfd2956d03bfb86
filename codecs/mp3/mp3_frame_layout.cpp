#include "codecs/mp3/mp3_frame_layout.h"

#include "core/byte_order.h"

namespace sonvara::mp3 {

std::optional<FrameLayout> ReadFrameLayout(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < static_cast<std::size_t>(kHeaderBytes)) {
        return std::nullopt;
    }
    const std::optional<FrameHeader> header = ParseHeader(bytes.data());
    if (!header) {
        return std::nullopt;
    }
    const auto frame_bytes = static_cast<std::size_t>(header->FrameBytes());
    if (bytes.size() < frame_bytes || header->MainDataBytes() < 0) {
        return std::nullopt;
    }
    FrameLayout layout;
    layout.header = *header;
    if (header->has_crc) {
        layout.crc = LoadBE16(&bytes[kHeaderBytes]);
    }
    const auto side_offset = static_cast<std::size_t>(header->SideInfoOffset());
    const auto side_bytes = static_cast<std::size_t>(header->SideInfoBytes());
    const std::optional<SideInfo> side =
        ReadSideInfo(*header, bytes.subspan(side_offset, side_bytes));
    if (!side) {
        return std::nullopt;
    }
    layout.side = *side;
    layout.main_data =
        bytes.subspan(side_offset + side_bytes, frame_bytes - side_offset - side_bytes);
    return layout;
}

bool CrcMatches(const FrameLayout& layout, std::span<const std::uint8_t> frame) {
    if (!layout.header.has_crc) {
        return true;
    }
    const auto side_offset = static_cast<std::size_t>(layout.header.SideInfoOffset());
    const auto side_end = side_offset + static_cast<std::size_t>(layout.header.SideInfoBytes());
    if (frame.size() < side_end) {
        return false;
    }
    std::uint32_t crc = 0xFFFF;
    auto feed = [&crc](std::uint8_t byte) {
        for (int bit = 7; bit >= 0; --bit) {
            const std::uint32_t in = (byte >> bit) & 1U;
            const std::uint32_t top = (crc >> 15) & 1U;
            crc = (crc << 1) & 0xFFFF;
            if ((top ^ in) != 0) {
                crc ^= 0x8005;
            }
        }
    };
    feed(frame[2]);
    feed(frame[3]);
    for (std::size_t i = side_offset; i < side_end; ++i) {
        feed(frame[i]);
    }
    return crc == layout.crc;
}

std::optional<std::size_t> FindHeader(std::span<const std::uint8_t> bytes, std::size_t from,
                                      std::size_t max_tries) {
    for (std::size_t at = from, tries = 0;
         tries < max_tries && at + static_cast<std::size_t>(kHeaderBytes) <= bytes.size();
         ++at, ++tries) {
        if (ParseHeader(bytes.data() + at)) {
            return at;
        }
    }
    return std::nullopt;
}

}  // namespace sonvara::mp3
