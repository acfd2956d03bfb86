#pragma once
// The headers our WAV writers put at the start of a file: "RIFF" size "WAVE", a "fmt " chunk with
// the format block, and the "data" chunk header. While a file is being written both sizes hold
// 0xFFFFFFFF ("to the end of the file"), so a file whose writer was interrupted still opens.

#include <cstdint>
#include <vector>

namespace sonvara {

inline constexpr std::uint32_t kSizeWhileWriting = 0xFFFFFFFF;

// The header for `format_block` (a serialized WaveFormat) followed by `data_bytes` of data, or
// with provisional sizes when `data_bytes` is kSizeWhileWriting. Data too large for the 32-bit
// size fields is written with the provisional sizes too, which readers take as "to the end".
std::vector<std::uint8_t> MakeRiffHeader(const std::vector<std::uint8_t>& format_block,
                                         std::uint64_t data_bytes);

}  // namespace sonvara
