#include "platform/codec/riff_header.h"

#include <algorithm>
#include <cstring>

#include "core/byte_order.h"
#include "platform/codec/wave_format.h"

namespace sonvara {

std::vector<std::uint8_t> MakeRiffHeader(const std::vector<std::uint8_t>& format_block,
                                         std::uint64_t data_bytes) {
    const auto format_bytes = static_cast<std::uint32_t>(format_block.size());
    std::vector<std::uint8_t> header(28 + format_bytes);
    std::uint8_t* p = header.data();
    // Everything after the RIFF size field except the data itself.
    const std::uint32_t overhead = 4 + 8 + format_bytes + 8;
    std::uint32_t data_size = kSizeWhileWriting;
    std::uint32_t riff_size = kSizeWhileWriting;
    if (data_bytes < std::uint64_t{kSizeWhileWriting} - overhead) {
        data_size = static_cast<std::uint32_t>(data_bytes);
        riff_size = data_size + overhead;
    }
    std::memcpy(p, "RIFF", 4);
    StoreLE32(p + 4, riff_size);
    std::memcpy(p + 8, "WAVE", 4);
    std::memcpy(p + 12, "fmt ", 4);
    StoreLE32(p + 16, format_bytes);
    std::copy(format_block.begin(), format_block.end(), p + 20);
    std::memcpy(p + 20 + format_bytes, "data", 4);
    StoreLE32(p + 24 + format_bytes, data_size);
    return header;
}

std::vector<std::uint8_t> PcmRiffHeader(int channels, std::uint32_t rate, int bits,
                                        std::uint64_t data_bytes) {
    return MakeRiffHeader(WaveFormat::Pcm(channels, rate, bits).Serialize(), data_bytes);
}

}  // namespace sonvara
