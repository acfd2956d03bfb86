#pragma once
// The 46-byte header of the 16-bit (or 8-bit) PCM WAV files the decoder components write: "RIFF",
// RIFF size, "WAVE", an 18-byte "fmt " chunk (extra size 0), "data", data size. The RIFF size is
// the data size + 38. Writers put it at the start with a data size of 0 and write it again with
// the real sizes once the data is complete.

#include <array>
#include <cstdint>

namespace sonvara {

inline constexpr int kDecodedWavHeaderSize = 46;
// The most data a header can describe: the RIFF size must fit in 32 bits.
inline constexpr std::uint32_t kMaxDecodedWavData = 0xFFFFFFFFu - 38u;

std::array<std::uint8_t, kDecodedWavHeaderSize> DecodedWavHeader(std::uint32_t rate, int channels,
                                                                 int bits, std::uint32_t data_size);

}  // namespace sonvara
