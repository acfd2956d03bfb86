#include "platform/codec/wave_format.h"

#include <algorithm>

#include "core/byte_order.h"

namespace sonvara {

std::optional<WaveFormat> WaveFormat::Parse(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 14) {
        return std::nullopt;
    }
    const std::uint8_t* p = bytes.data();
    WaveFormat format;
    format.format_tag = LoadLE16(p);
    format.channels = LoadLE16(p + 2);
    format.samples_per_sec = LoadLE32(p + 4);
    format.avg_bytes_per_sec = LoadLE32(p + 8);
    format.block_align = LoadLE16(p + 12);
    format.bits_per_sample = bytes.size() >= 16 ? LoadLE16(p + 14) : 0;
    if (bytes.size() >= kFixedBytes) {
        std::size_t count = std::min<std::size_t>(LoadLE16(p + 16), bytes.size() - kFixedBytes);
        format.extra.assign(p + kFixedBytes, p + kFixedBytes + count);
    }
    return format;
}

std::vector<std::uint8_t> WaveFormat::Serialize() const {
    std::vector<std::uint8_t> bytes(kFixedBytes + extra.size());
    std::uint8_t* p = bytes.data();
    StoreLE16(p, format_tag);
    StoreLE16(p + 2, channels);
    StoreLE32(p + 4, samples_per_sec);
    StoreLE32(p + 8, avg_bytes_per_sec);
    StoreLE16(p + 12, block_align);
    StoreLE16(p + 14, bits_per_sample);
    StoreLE16(p + 16, static_cast<std::uint16_t>(extra.size()));
    std::copy(extra.begin(), extra.end(), p + kFixedBytes);
    return bytes;
}

WaveFormat WaveFormat::Pcm(int channels, std::uint32_t rate, int bits) {
    WaveFormat format;
    format.format_tag = WAVE_FORMAT_PCM;
    format.channels = static_cast<std::uint16_t>(channels);
    format.samples_per_sec = rate;
    format.block_align = static_cast<std::uint16_t>(channels * (bits / 8));
    format.avg_bytes_per_sec = rate * format.block_align;
    format.bits_per_sample = static_cast<std::uint16_t>(bits);
    return format;
}

}  // namespace sonvara
