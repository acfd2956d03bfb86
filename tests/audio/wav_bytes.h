#pragma once
// Builds WAV files byte by byte, so that tests can make the malformed and unusual ones that no
// writer produces.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/byte_order.h"
#include "tests/support/file_contents.h"

namespace sonvara::testing {

class WavBytes {
  public:
    WavBytes& Id(const char* id) {
        for (int i = 0; i < 4; ++i) {
            bytes_.push_back(static_cast<std::uint8_t>(id[i]));
        }
        return *this;
    }
    WavBytes& U16(std::uint32_t value) {
        AppendLE16(bytes_, static_cast<std::uint16_t>(value));
        return *this;
    }
    WavBytes& U32(std::uint32_t value) {
        AppendLE32(bytes_, value);
        return *this;
    }
    WavBytes& Bytes(const std::vector<std::uint8_t>& body) {
        bytes_.insert(bytes_.end(), body.begin(), body.end());
        return *this;
    }
    // A chunk with its header, its body and a pad byte after an odd body.
    WavBytes& Chunk(const char* id, const std::vector<std::uint8_t>& body) {
        Id(id).U32(static_cast<std::uint32_t>(body.size())).Bytes(body);
        if (body.size() % 2 != 0) {
            bytes_.push_back(0);
        }
        return *this;
    }
    // "RIFF" with a size of 0 (readers do not check it) and "WAVE".
    WavBytes& WaveHeader() { return Id("RIFF").U32(0).Id("WAVE"); }

    const std::vector<std::uint8_t>& Get() const { return bytes_; }

    void WriteTo(const std::string& path) const { WriteFileBytes(path, bytes_); }

  private:
    std::vector<std::uint8_t> bytes_;
};

// A format block of `size` bytes (14, 16, 18 or more; the extra-bytes count says size - 18).
inline std::vector<std::uint8_t> FormatBlock(std::uint16_t tag, int channels, std::uint32_t rate,
                                             int bits, std::size_t size = 16) {
    const int block_align = channels * ((bits + 7) / 8);
    WavBytes block;
    block.U16(tag)
        .U16(static_cast<std::uint32_t>(channels))
        .U32(rate)
        .U32(rate * static_cast<std::uint32_t>(block_align))
        .U16(static_cast<std::uint32_t>(block_align))
        .U16(static_cast<std::uint32_t>(bits));
    if (size >= 18) {
        block.U16(static_cast<std::uint32_t>(size - 18));
    }
    std::vector<std::uint8_t> bytes = block.Get();
    bytes.resize(size, 0);
    return bytes;
}

// `frames` frames of 16-bit samples counting up from `first`, channel c offset by c * 1000.
inline std::vector<std::uint8_t> Staircase16(int frames, int channels, int first = 0) {
    WavBytes data;
    for (int f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            data.U16(static_cast<std::uint16_t>(first + f + c * 1000));
        }
    }
    return data.Get();
}

}  // namespace sonvara::testing
