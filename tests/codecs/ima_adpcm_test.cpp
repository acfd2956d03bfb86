#include "codecs/adpcm/ima_adpcm.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "tests/codecs/codec_test_util.h"

namespace sonvara::ima_adpcm {
namespace {

using testing::ReadWav;
using testing::SnrDb;

std::vector<std::uint8_t> ImaEncode(const std::vector<std::int16_t>& pcm, int channels, int align) {
    Encoder encoder(channels);
    return testing::EncodeAll(pcm, channels, align, SamplesPerBlock(align, channels),
                              [&](const std::int16_t* in, int frames, std::uint8_t* out) {
                                  encoder.EncodeBlock(in, frames, out, align);
                              });
}

std::vector<std::int16_t> ImaDecode(const std::vector<std::uint8_t>& data, int channels,
                                    int align) {
    return testing::DecodeAll(data, channels, align,
                              [&](auto block, auto bytes, auto out, int max) {
                                  return DecodeBlock(block, bytes, channels, out, max);
                              });
}

std::vector<std::int16_t> ImaRoundTrip(const std::vector<std::int16_t>& pcm, int channels,
                                       int align) {
    return ImaDecode(ImaEncode(pcm, channels, align), channels, align);
}

// Floors a little under what the encoder reaches (a 440 Hz sine 30 dB, 440 + 880 Hz stereo 26 dB,
// loud white noise 15.8 dB), and on the golden input no worse than sox with the same blocks.
TEST(ImaAdpcm, RoundTripQuality) {
    const std::vector<std::int16_t> mono = testing::Sine(440, 20000, 4000);
    EXPECT_GT(SnrDb(mono, ImaRoundTrip(mono, 1, 256)), 28);
    const std::vector<std::int16_t> stereo = testing::Sine(440, 20000, 4000, 2);
    EXPECT_GT(SnrDb(stereo, ImaRoundTrip(stereo, 2, 512)), 24);
    std::mt19937 rng(5);
    const auto noise = testing::Random<std::int16_t>(rng, 4000, -16000, 16000);
    EXPECT_GT(SnrDb(noise, ImaRoundTrip(noise, 1, 256)), 14);
    const std::vector<std::int16_t> input = testing::ToSamples(ReadWav("in_mono.wav").data);
    EXPECT_GT(SnrDb(input, ImaRoundTrip(input, 1, 256)),
              SnrDb(input, testing::ReadS16("ima_mono_sox.sox.s16")) - 0.5);
}

TEST(ImaAdpcm, ChannelsDoNotBleed) {
    std::vector<std::int16_t> stereo = testing::Sine(300, 25000, 3000, 2);
    std::fill(stereo.begin() + 2000, stereo.end(), 0);  // silence from frame 1000 on
    testing::ExpectChannelsIndependent(stereo, [](const auto& pcm, int channels) {
        return ImaRoundTrip(pcm, channels, 512 * channels);
    });
}

TEST(ImaAdpcm, EncoderBlockRules) {
    const std::vector<std::int16_t> pcm = testing::Sine(700, 30000, 1017, 2);
    // Missing frames are silence, and exactly block_align bytes are written.
    std::vector<std::int16_t> padded(pcm.begin(), pcm.begin() + 2 * 600);
    padded.resize(pcm.size());
    std::vector<std::uint8_t> short_block(1024 + 16, 0xAB), full_block(1024 + 16, 0xAB);
    Encoder(2).EncodeBlock(pcm.data(), 600, short_block.data(), 1024);
    Encoder(2).EncodeBlock(padded.data(), 1017, full_block.data(), 1024);
    EXPECT_EQ(short_block, full_block);
    EXPECT_EQ(std::count(short_block.begin() + 1024, short_block.end(), 0xAB), 16);

    // Each channel's next block starts from the step index its codes led to in this one.
    Encoder encoder(2);
    std::vector<std::uint8_t> first(1024), second(1024);
    encoder.EncodeBlock(pcm.data(), 1017, first.data(), 1024);
    encoder.EncodeBlock(pcm.data(), 1017, second.data(), 1024);
    constexpr std::array<int, 8> kMove = {-1, -1, -1, -1, 2, 4, 6, 8};
    for (std::size_t c = 0; c < 2; ++c) {
        int index = first[4 * c + 2];
        for (std::size_t k = 0; k < 1016; ++k) {
            const std::uint8_t byte = first[8 + (k / 8 * 2 + c) * 4 + k % 8 / 2];
            index = std::clamp(index + kMove[(k % 2 == 0 ? byte : byte >> 4) & 7], 0, 88);
        }
        EXPECT_EQ(second[4 * c + 2], index) << c;
    }
}

TEST(ImaAdpcm, BlockSizesShortBlocksBadIndexesAndGarbage) {
    const std::vector<std::int16_t> pcm = testing::Sine(500, 20000, 505, 2);
    std::vector<std::uint8_t> block(512);
    Encoder(2).EncodeBlock(pcm.data(), 505, block.data(), 512);
    EXPECT_EQ(SamplesPerBlock(256, 1), 505);
    EXPECT_EQ(SamplesPerBlock(15, 2), 0);
    EXPECT_EQ(SamplesPerBlock(256, 0), 0);
    ASSERT_EQ(SamplesPerBlock(512, 2), 505);
    std::vector<std::int16_t> full(2 * 505), out(2 * 505);
    ASSERT_EQ(DecodeBlock(block.data(), 512, 2, full.data(), 505), 505);
    // A block cut anywhere gives the header frame and every whole pair of groups, unchanged.
    for (std::size_t bytes = 0; bytes <= 512; ++bytes) {
        const std::vector<std::uint8_t> cut(block.begin(),
                                            block.begin() + static_cast<std::ptrdiff_t>(bytes));
        const int frames = DecodeBlock(cut.data(), bytes, 2, out.data(), 505);
        ASSERT_EQ(frames, bytes < 8 ? 0 : 1 + static_cast<int>(bytes - 8) / 8 * 8) << bytes;
        ASSERT_TRUE(std::equal(out.begin(), out.begin() + 2 * frames, full.begin())) << bytes;
    }
    std::vector<std::int16_t> few(2 * 10);
    EXPECT_EQ(DecodeBlock(block.data(), 512, 2, few.data(), 10), 10);
    EXPECT_TRUE(std::equal(few.begin(), few.end(), full.begin()));

    // A step index beyond 88 acts as 88.
    block[2] = 88;
    DecodeBlock(block.data(), 512, 2, full.data(), 505);
    block[2] = 200;
    DecodeBlock(block.data(), 512, 2, out.data(), 505);
    EXPECT_EQ(out, full);

    // Random bytes, channel counts and lengths, into buffers of exactly max_frames frames.
    std::mt19937 rng(11);
    for (int round = 0; round < 2000; ++round) {
        const int channels = 1 + round % 6, max_frames = 1 + static_cast<int>(rng() % 1500);
        const auto bytes = testing::Random<std::uint8_t>(rng, rng() % 700, 0, 255);
        std::vector<std::int16_t> buffer(static_cast<std::size_t>(max_frames * channels));
        const int frames =
            DecodeBlock(bytes.data(), bytes.size(), channels, buffer.data(), max_frames);
        ASSERT_TRUE(frames >= 0 && frames <= max_frames);
    }
}

// Exactly sox's samples for every IMA file, and the frame count of a block cut short. ffmpeg
// rounds each step's size as (2·code + 1)·step ÷ 8 rather than adding up shifted steps, so its
// samples differ by a few units (tests/data/README.md); only its frame count must match.
TEST(ImaAdpcm, DecodesLikeThePeers) {
    for (const std::string base : {"ima_mono_sox", "ima_stereo_sox", "ima_mono_ffmpeg",
                                   "ima_stereo_ffmpeg", "ima_mono_sox_cut", "ima_stereo_sox_cut"}) {
        const testing::WavChunks wav = ReadWav(base + ".wav");
        ASSERT_EQ(wav.Tag(), 0x11) << base;
        const std::vector<std::int16_t> ours =
            ImaDecode(wav.data, wav.Channels(), wav.BlockAlign());
        EXPECT_EQ(ours, testing::ReadS16(base + ".sox.s16")) << base;
        EXPECT_EQ(ours.size(), testing::ReadS16(base + ".ffmpeg.s16").size()) << base;
    }
}

}  // namespace
}  // namespace sonvara::ima_adpcm
