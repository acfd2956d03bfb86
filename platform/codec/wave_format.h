#pragma once
// WaveFormat: the format block of a WAV file's "fmt " chunk (tag, channels, rate, average bytes
// per second, block alignment, bits per sample and the codec's extra bytes), in memory.
//
// On disk the block is little-endian: 18 bytes followed by `extra`, whose length the 16-bit
// field at offset 16 gives. Older files end the block after 14 or 16 bytes and have no extra
// bytes. The same layout fills the first bytes of the 1024-byte area in which a chosen format is
// kept (FormatArea, below).

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace sonvara {

// A chosen WAV format: the format block (tag, channels, rate, ... and the codec's extra bytes,
// little-endian, as in a WAV file's "fmt " chunk) at the start of 1024 bytes.
using FormatArea = std::array<std::uint8_t, 1024>;

inline constexpr std::uint16_t WAVE_FORMAT_PCM = 0x0001;
inline constexpr std::uint16_t WAVE_FORMAT_ADPCM = 0x0002;
inline constexpr std::uint16_t WAVE_FORMAT_IEEE_FLOAT = 0x0003;
inline constexpr std::uint16_t WAVE_FORMAT_ALAW = 0x0006;
inline constexpr std::uint16_t WAVE_FORMAT_MULAW = 0x0007;
inline constexpr std::uint16_t WAVE_FORMAT_IMA_ADPCM = 0x0011;
inline constexpr std::uint16_t WAVE_FORMAT_GSM610 = 0x0031;
inline constexpr std::uint16_t WAVE_FORMAT_MPEGLAYER3 = 0x0055;
inline constexpr std::uint16_t WAVE_FORMAT_EXTENSIBLE = 0xFFFE;

struct WaveFormat {
    // The fixed part of the block on disk; `extra` follows it.
    static constexpr std::size_t kFixedBytes = 18;

    std::uint16_t format_tag = WAVE_FORMAT_PCM;
    std::uint16_t channels = 1;
    std::uint32_t samples_per_sec = 0;
    std::uint32_t avg_bytes_per_sec = 0;
    std::uint16_t block_align = 0;
    std::uint16_t bits_per_sample = 0;
    std::vector<std::uint8_t> extra;

    // Parses a format block of `bytes.size()` bytes as found in a file: 14 bytes at least; below
    // 18 bytes there are no extra bytes; the extra-bytes count is limited to what the block
    // holds. Nothing else is checked here.
    static std::optional<WaveFormat> Parse(std::span<const std::uint8_t> bytes);
    // The block as written to a file: 18 bytes + extra.
    std::vector<std::uint8_t> Serialize() const;

    // Integer PCM of `bits` bits (8, 16, 24 or 32) with the given channels and rate.
    static WaveFormat Pcm(int channels, std::uint32_t rate, int bits);
    // 16-bit PCM: the near side of every codec stream.
    static WaveFormat Pcm16(int channels, std::uint32_t rate) { return Pcm(channels, rate, 16); }

    bool operator==(const WaveFormat&) const = default;
};

}  // namespace sonvara
