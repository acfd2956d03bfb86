#pragma once
// The tag an encoder writes into the first frame of a stream in place of audio: "Xing" (variable
// bitrate) or "Info" (constant bitrate) after the side information, with the stream's frame
// count, and LAME's extension after it with the encoder delay and padding: the samples the
// encoder put before the first sample of the input and after its last. The frame itself decodes
// to silence and is not part of the sound.

#include <cstdint>
#include <optional>
#include <span>

#include "codecs/mp3/mp3_header.h"

namespace sonvara::mp3 {

// What a player needs to give back exactly the encoder's input.
struct XingTag {
    std::optional<std::uint32_t> frames;  // the frames of audio after the tag's own frame
    // From LAME's extension, when there is one: samples per channel added at the start and at
    // the end (each 0 to 4095).
    std::optional<int> encoder_delay;
    std::optional<int> padding;
};

// The decoder's own delay: a decoded sample appears this many samples after the encoder's.
inline constexpr int kDecoderDelay = 529;

// The tag in `frame` (the whole frame that `header` opens, or as much of it as there is);
// nothing when the frame holds none.
std::optional<XingTag> ParseXingTag(std::span<const std::uint8_t> frame, const FrameHeader& header);

}  // namespace sonvara::mp3
