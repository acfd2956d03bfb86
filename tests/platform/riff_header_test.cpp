// The WAV header builder that the decoder components, the CD copy and the WAV writers share: the
// bytes of a PCM header, the provisional sizes while writing, and where real sizes stop.

#include "platform/codec/riff_header.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/byte_order.h"
#include "platform/codec/wave_format.h"

namespace sonvara {
namespace {

TEST(RiffHeader, PcmHeadersHoldTheFormatAndBothSizes) {
    // 8-bit mono at 11025 Hz with 1000 bytes of data, as a RealAudio decode may write it.
    // clang-format off
    const std::vector<std::uint8_t> expected = {
        'R', 'I', 'F', 'F', 0x0E, 0x04, 0, 0,  // RIFF size: 1000 + 38
        'W', 'A', 'V', 'E',
        'f', 'm', 't', ' ', 18, 0, 0, 0,
        1, 0,                                  // PCM
        1, 0,                                  // channels
        0x11, 0x2B, 0, 0,                      // 11025 frames a second
        0x11, 0x2B, 0, 0,                      // bytes a second
        1, 0,                                  // bytes a frame
        8, 0,                                  // bits a sample
        0, 0,                                  // no extra bytes
        'd', 'a', 't', 'a', 0xE8, 0x03, 0, 0};
    // clang-format on
    EXPECT_EQ(PcmRiffHeader(1, 11025, 8, 1000), expected);
    EXPECT_EQ(expected.size(), kPcmRiffHeaderBytes);

    // 16-bit stereo: the block and rate fields follow the sample size.
    const std::vector<std::uint8_t> stereo = PcmRiffHeader(2, 44100, 16, 0);
    EXPECT_EQ(LoadLE32(&stereo[4]), 38u);
    EXPECT_EQ(LoadLE32(&stereo[28]), 176400u);
    EXPECT_EQ(LoadLE16(&stereo[32]), 4);
    EXPECT_EQ(LoadLE16(&stereo[34]), 16);
    EXPECT_EQ(LoadLE32(&stereo[42]), 0u);
    EXPECT_EQ(std::vector<std::uint8_t>(stereo.begin() + 20, stereo.begin() + 38),
              WaveFormat::Pcm16(2, 44100).Serialize());
}

TEST(RiffHeader, SizesTooLargeForTheirFieldsAreWrittenAsProvisional) {
    auto sizes = [](std::uint64_t data_bytes) {
        const std::vector<std::uint8_t> header = PcmRiffHeader(2, 44100, 16, data_bytes);
        return std::pair{LoadLE32(&header[4]), LoadLE32(&header[42])};
    };
    EXPECT_EQ(sizes(kSizeWhileWriting), std::pair(kSizeWhileWriting, kSizeWhileWriting));
    EXPECT_EQ(sizes(kMaxPcmRiffData), std::pair(kMaxPcmRiffData + 38, kMaxPcmRiffData));
    EXPECT_EQ(sizes(std::uint64_t{kMaxPcmRiffData} + 1),
              std::pair(kSizeWhileWriting, kSizeWhileWriting));
    EXPECT_EQ(sizes(std::uint64_t{1} << 33), std::pair(kSizeWhileWriting, kSizeWhileWriting));

    // A longer format block leaves less room for the data.
    std::vector<std::uint8_t> block = WaveFormat::Pcm16(1, 8000).Serialize();
    block.resize(block.size() + 32);
    const std::vector<std::uint8_t> header = MakeRiffHeader(block, kMaxPcmRiffData);
    ASSERT_EQ(header.size(), kPcmRiffHeaderBytes + 32);
    EXPECT_EQ(LoadLE32(&header[4]), kSizeWhileWriting);
    EXPECT_EQ(LoadLE32(&header[header.size() - 4]), kSizeWhileWriting);
}

}  // namespace
}  // namespace sonvara
