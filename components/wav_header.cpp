#include "components/wav_header.h"

#include <cstring>

namespace sonvara {
namespace {

class HeaderBytes {
  public:
    explicit HeaderBytes(std::array<std::uint8_t, kDecodedWavHeaderSize>& bytes) : bytes_(bytes) {}
    void Tag(const char* tag) {
        std::memcpy(bytes_.data() + at_, tag, 4);
        at_ += 4;
    }
    void U16(std::uint32_t value) {
        bytes_[at_++] = static_cast<std::uint8_t>(value);
        bytes_[at_++] = static_cast<std::uint8_t>(value >> 8);
    }
    void U32(std::uint32_t value) {
        U16(value & 0xFFFFu);
        U16(value >> 16);
    }

  private:
    std::array<std::uint8_t, kDecodedWavHeaderSize>& bytes_;
    std::size_t at_ = 0;
};

}  // namespace

std::array<std::uint8_t, kDecodedWavHeaderSize> DecodedWavHeader(std::uint32_t rate, int channels,
                                                                 int bits,
                                                                 std::uint32_t data_size) {
    std::array<std::uint8_t, kDecodedWavHeaderSize> bytes{};
    const auto block_align = static_cast<std::uint32_t>(channels * (bits / 8));
    HeaderBytes header(bytes);
    header.Tag("RIFF");
    header.U32(data_size + 38);
    header.Tag("WAVE");
    header.Tag("fmt ");
    header.U32(18);
    header.U16(1);  // PCM
    header.U16(static_cast<std::uint32_t>(channels));
    header.U32(rate);
    header.U32(rate * block_align);
    header.U16(block_align);
    header.U16(static_cast<std::uint32_t>(bits));
    header.U16(0);  // extra size
    header.Tag("data");
    header.U32(data_size);
    return bytes;
}

}  // namespace sonvara
