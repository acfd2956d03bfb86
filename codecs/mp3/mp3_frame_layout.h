#pragma once
// Cuts one Layer III frame into its header, side information and main data, and finds frames
// in a byte stream.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "codecs/mp3/mp3_header.h"
#include "codecs/mp3/mp3_side_info.h"

namespace sonvara::mp3 {

struct FrameLayout {
    FrameHeader header;
    std::uint16_t crc = 0;  // as stored; 0 when the frame has none
    SideInfo side;
    std::span<const std::uint8_t> main_data;  // this frame's own main data bytes
};

// `bytes` start with a header; fewer bytes than the header's frame length, a bad header or
// undefined side information give nothing.
std::optional<FrameLayout> ReadFrameLayout(std::span<const std::uint8_t> bytes);

// Whether a frame with a CRC carries the right one: the CRC-16 of ISO/IEC 11172-3 (generator
// x^16 + x^15 + x^2 + 1, register starting at all ones) over the header's last two bytes and the
// side information. Frames without a CRC pass.
bool CrcMatches(const FrameLayout& layout, std::span<const std::uint8_t> frame);

// The offset of the first header at or after `from` that ParseHeader takes, looking at no more
// than `max_tries` starting positions; nothing if there is none.
std::optional<std::size_t> FindHeader(std::span<const std::uint8_t> bytes, std::size_t from,
                                      std::size_t max_tries);

}  // namespace sonvara::mp3
