#include "codecs/mp3/mp3_xing_tag.h"

#include <algorithm>

#include "core/byte_order.h"

namespace sonvara::mp3 {
namespace {

constexpr std::uint32_t kFramesField = 1;
constexpr std::uint32_t kBytesField = 2;
constexpr std::uint32_t kTocField = 4;
constexpr std::uint32_t kQualityField = 8;
constexpr std::size_t kTocBytes = 100;
// LAME's extension (FFmpeg's encoder writes it too, as "Lavc"): a nine-byte version ("LAME3.100"),
// then 12 bytes of settings and gains, then the delay and the padding in 12 bits each.
constexpr std::size_t kLameDelayOffset = 21;

bool Starts(std::span<const std::uint8_t> bytes, std::size_t at, const char* text,
            std::size_t length) {
    return bytes.size() >= at + length && std::equal(text, text + length, bytes.begin() + at);
}

}  // namespace

std::optional<XingTag> ParseXingTag(std::span<const std::uint8_t> frame,
                                    const FrameHeader& header) {
    std::size_t at = static_cast<std::size_t>(header.SideInfoOffset() + header.SideInfoBytes());
    if (!Starts(frame, at, "Xing", 4) && !Starts(frame, at, "Info", 4)) {
        return std::nullopt;
    }
    if (frame.size() < at + 8) {
        return std::nullopt;
    }
    const std::uint32_t flags = LoadBE32(&frame[at + 4]);
    at += 8;
    XingTag tag;
    if ((flags & kFramesField) != 0) {
        if (frame.size() < at + 4) {
            return std::nullopt;
        }
        tag.frames = LoadBE32(&frame[at]);
        at += 4;
    }
    at += ((flags & kBytesField) != 0 ? 4 : 0) + ((flags & kTocField) != 0 ? kTocBytes : 0) +
          ((flags & kQualityField) != 0 ? 4 : 0);
    if (Starts(frame, at, "LAME", 4) || Starts(frame, at, "Lavc", 4) ||
        Starts(frame, at, "Lavf", 4)) {
        if (frame.size() >= at + kLameDelayOffset + 3) {
            const std::uint8_t* delay = &frame[at + kLameDelayOffset];
            tag.encoder_delay = (delay[0] << 4) | (delay[1] >> 4);
            tag.padding = ((delay[1] & 0x0F) << 8) | delay[2];
        }
    }
    return tag;
}

}  // namespace sonvara::mp3
