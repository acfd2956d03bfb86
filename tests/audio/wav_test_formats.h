#pragma once
// The formats the interchange tests write, by short name, and a plain copy from a source into a
// sink in writer-sized blocks.

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "audio/sound_sink.h"
#include "audio/sound_source.h"
#include "platform/codec/codec_manager.h"

namespace sonvara::testing {

// The format the chooser offers for a tag, channels and rate.
inline std::optional<WaveFormat> OfferedFormat(std::uint16_t tag, int channels,
                                               std::uint32_t rate) {
    for (const FormatChoice& choice : CodecManager::Instance().ListFormats(channels)) {
        if (choice.format.format_tag == tag && choice.format.samples_per_sec == rate) {
            return choice.format;
        }
    }
    return std::nullopt;
}

// "ulaw", "alaw", "ima", "ms" as the format chooser offers them; "float32", "pcm24", "pcm32"
// uncompressed.
inline std::optional<WaveFormat> TestFormat(const std::string& name, int channels,
                                            std::uint32_t rate) {
    auto offered = [&](std::uint16_t tag) { return OfferedFormat(tag, channels, rate); };
    auto uncompressed = [&](std::uint16_t tag, int bits) {
        WaveFormat format = WaveFormat::Pcm16(channels, rate);
        format.format_tag = tag;
        format.bits_per_sample = static_cast<std::uint16_t>(bits);
        format.block_align = static_cast<std::uint16_t>(channels * bits / 8);
        format.avg_bytes_per_sec = rate * format.block_align;
        return format;
    };
    if (name == "ulaw")
        return offered(WAVE_FORMAT_MULAW);
    if (name == "alaw")
        return offered(WAVE_FORMAT_ALAW);
    if (name == "ima")
        return offered(WAVE_FORMAT_IMA_ADPCM);
    if (name == "ms")
        return offered(WAVE_FORMAT_ADPCM);
    if (name == "float32")
        return uncompressed(WAVE_FORMAT_IEEE_FLOAT, 32);
    if (name == "pcm24")
        return uncompressed(WAVE_FORMAT_PCM, 24);
    if (name == "pcm32")
        return uncompressed(WAVE_FORMAT_PCM, 32);
    return std::nullopt;
}

// Copies a whole source into a sink and finishes the sink; whether it finished.
[[nodiscard]] inline bool CopyAll(LSoundSourceBase& source, LSoundSinkBase& sink) {
    std::vector<Sample> block(static_cast<std::size_t>(kBlockFrames) *
                              static_cast<std::size_t>(source.GetChannels()));
    while (source.GetPosition() < source.GetLength()) {
        const std::int32_t before = source.GetPosition();
        source.Read(block.data(), std::min(kBlockFrames, source.GetLength() - before));
        // A length that was an estimate may have become exact during the read.
        sink.Write(block.data(), std::min(source.GetPosition(), source.GetLength()) - before);
    }
    return sink.Finish();
}

}  // namespace sonvara::testing
