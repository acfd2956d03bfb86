#pragma once
// In platform/ beside WaveFormat, whose block it wraps, so the decoder components reach it too.
//
// The header at the start of every WAV file we write: "RIFF" size "WAVE", a "fmt " chunk with the
// format block, and the "data" chunk header. While a file is being written both sizes hold
// 0xFFFFFFFF ("to the end of the file"), so a file whose writer was interrupted still opens.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sonvara {

inline constexpr std::uint32_t kSizeWhileWriting = 0xFFFFFFFF;

// The header for `format_block` (a serialized WaveFormat) followed by `data_bytes` of data, or
// with provisional sizes when `data_bytes` is kSizeWhileWriting. Data too large for the 32-bit
// size fields is written with the provisional sizes too, which readers take as "to the end".
std::vector<std::uint8_t> MakeRiffHeader(const std::vector<std::uint8_t>& format_block,
                                         std::uint64_t data_bytes);

// A PCM header: its format block has the 18 fixed bytes and no extra ones.
inline constexpr std::size_t kPcmRiffHeaderBytes = 46;
// The most data a PCM header gives its real sizes for: the RIFF size counts the data and the 38
// header bytes after the size field, and must stay below 0xFFFFFFFF.
inline constexpr std::uint32_t kMaxPcmRiffData = kSizeWhileWriting - 38 - 1;

// MakeRiffHeader for integer PCM of `bits` (8 or 16) bits.
std::vector<std::uint8_t> PcmRiffHeader(int channels, std::uint32_t rate, int bits,
                                        std::uint64_t data_bytes);

}  // namespace sonvara
