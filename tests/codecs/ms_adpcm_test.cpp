#include "codecs/adpcm/ms_adpcm.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/codecs/codec_test_util.h"

namespace sonvara::ms_adpcm {
namespace {

using testing::ReadWav;
using testing::SnrDb;

std::vector<std::uint8_t> MsEncode(const std::vector<std::int16_t>& pcm, int channels, int align) {
    return testing::EncodeAll(pcm, channels, align, SamplesPerBlock(align, channels),
                              [&](const std::int16_t* in, int frames, std::uint8_t* out) {
                                  EncodeBlock(in, frames, channels, out, align);
                              });
}

std::vector<std::int16_t> MsDecode(const std::vector<std::uint8_t>& data, int channels, int align,
                                   const Coefficients& coefs = StandardCoefficients()) {
    return testing::DecodeAll(data, channels, align,
                              [&](auto block, auto bytes, auto out, int max) {
                                  return DecodeBlock(block, bytes, channels, coefs, out, max);
                              });
}

std::vector<std::int16_t> MsRoundTrip(const std::vector<std::int16_t>& pcm, int channels,
                                      int align) {
    return MsDecode(MsEncode(pcm, channels, align), channels, align);
}

TEST(MsAdpcm, FormatExtraBytes) {
    // sox's format chunk: 16 bytes, cbSize, then the extra bytes.
    const testing::WavChunks wav = ReadWav("ms_mono_sox.wav");
    ASSERT_EQ(wav.fmt.size(), 50U);
    int per_block = 0;
    Coefficients coefs;
    ASSERT_TRUE(ParseFormatExtra(wav.fmt.data() + 18, 32, &per_block, &coefs));
    EXPECT_EQ(per_block, 500);
    EXPECT_EQ(coefs.pairs, StandardCoefficients().pairs);
    EXPECT_EQ(MakeFormatExtra(500), std::vector<std::uint8_t>(wav.fmt.begin() + 18, wav.fmt.end()));

    // Too few bytes for the pairs, none, 257, and 256.
    std::vector<std::uint8_t> extra = MakeFormatExtra(1012);
    EXPECT_FALSE(ParseFormatExtra(extra.data(), 31, &per_block, &coefs));
    extra[2] = 0;
    EXPECT_FALSE(ParseFormatExtra(extra.data(), extra.size(), &per_block, &coefs));
    extra.resize(4 + 4 * 257);
    extra[3] = 1;
    EXPECT_TRUE(ParseFormatExtra(extra.data(), extra.size() - 4, &per_block, &coefs));
    EXPECT_EQ(coefs.pairs.size(), 256U);
    extra[2] = 1;
    EXPECT_FALSE(ParseFormatExtra(extra.data(), extra.size(), &per_block, &coefs));
}

// Floors a little under what the encoder reaches (a 440 Hz sine 38.5 dB, 440 + 880 Hz stereo
// 39 dB, loud white noise 19 dB), and on the golden input no worse than sox with the same blocks.
TEST(MsAdpcm, RoundTripQuality) {
    const std::vector<std::int16_t> mono = testing::Sine(440, 20000, 4000);
    EXPECT_GT(SnrDb(mono, MsRoundTrip(mono, 1, 256)), 36);
    const std::vector<std::int16_t> stereo = testing::Sine(440, 20000, 4000, 2);
    EXPECT_GT(SnrDb(stereo, MsRoundTrip(stereo, 2, 512)), 36);
    std::mt19937 rng(5);
    const auto noise = testing::Random<std::int16_t>(rng, 4000, -16000, 16000);
    EXPECT_GT(SnrDb(noise, MsRoundTrip(noise, 1, 256)), 17);
    const std::vector<std::int16_t> input = testing::ToSamples(ReadWav("in_mono.wav").data);
    EXPECT_GT(SnrDb(input, MsRoundTrip(input, 1, 256)),
              SnrDb(input, testing::ReadS16("ms_mono_sox.sox.s16")) - 0.5);
}

TEST(MsAdpcm, EncoderChoosesThePairAndFillsTheBlock) {
    // Ramps are predicted exactly by linear extrapolation, the pair (512, −256).
    std::vector<std::int16_t> ramp;
    for (int f = 0; f < 500; ++f) {
        ramp.push_back(static_cast<std::int16_t>(-20000 + 70 * f));
        ramp.push_back(static_cast<std::int16_t>(15000 - 50 * f));
    }
    std::vector<std::uint8_t> block(512 + 8, 0xCD);
    EncodeBlock(ramp.data(), 500, 2, block.data(), 512);
    EXPECT_EQ(block[0], 1);
    EXPECT_EQ(block[1], 1);
    EXPECT_EQ(std::count(block.begin() + 512, block.end(), 0xCD), 8);

    // Missing frames are silence.
    std::vector<std::int16_t> padded(ramp.begin(), ramp.begin() + 2 * 321);
    padded.resize(ramp.size());
    std::vector<std::uint8_t> short_block(512), full_block(512);
    EncodeBlock(ramp.data(), 321, 2, short_block.data(), 512);
    EncodeBlock(padded.data(), 500, 2, full_block.data(), 512);
    EXPECT_EQ(short_block, full_block);
}

TEST(MsAdpcm, ChannelsDoNotBleed) {
    std::mt19937 rng(8);
    std::vector<std::int16_t> stereo = testing::Random<std::int16_t>(rng, 6000, -3000, 3000);
    const std::vector<std::int16_t> sine = testing::Sine(300, 25000, 3000);
    for (std::size_t f = 0; f < sine.size(); ++f) {
        stereo[2 * f] = sine[f];
    }
    testing::ExpectChannelsIndependent(stereo, [](const auto& pcm, int channels) {
        return MsRoundTrip(pcm, channels, 512 * channels);
    });
}

TEST(MsAdpcm, BlockSizesShortBlocksBadIndexesAndGarbage) {
    const Coefficients& standard = StandardCoefficients();
    const std::vector<std::int16_t> pcm = testing::Sine(500, 20000, 254, 3);
    ASSERT_EQ(SamplesPerBlock(400, 3), 254);
    std::vector<std::uint8_t> block(400);
    EncodeBlock(pcm.data(), 254, 3, block.data(), 400);
    EXPECT_EQ(SamplesPerBlock(256, 1), 500);
    EXPECT_EQ(SamplesPerBlock(7, 1), 2);
    EXPECT_EQ(SamplesPerBlock(13, 2), 0);
    EXPECT_EQ(SamplesPerBlock(256, 0), 0);
    std::vector<std::int16_t> full(3 * 254), out(3 * 254);
    ASSERT_EQ(DecodeBlock(block.data(), 400, 3, standard, full.data(), 254), 254);
    // A block cut anywhere gives the header frames and every frame whose codes are all there.
    for (std::size_t bytes = 0; bytes <= 400; ++bytes) {
        const int frames = DecodeBlock(block.data(), bytes, 3, standard, out.data(), 254);
        ASSERT_EQ(frames, bytes < 21 ? 0 : 2 + static_cast<int>(bytes - 21) * 2 / 3) << bytes;
        ASSERT_TRUE(std::equal(out.begin(), out.begin() + 3 * frames, full.begin())) << bytes;
    }
    EXPECT_EQ(DecodeBlock(block.data(), 400, 3, standard, out.data(), 1), 1);

    // A pair index beyond the coefficients makes the block bad.
    block[2] = 7;
    EXPECT_EQ(DecodeBlock(block.data(), 400, 3, standard, out.data(), 254), -1);
    block[2] = 2;
    EXPECT_EQ(
        DecodeBlock(block.data(), 400, 3, Coefficients{{{256, 0}, {512, -256}}}, out.data(), 254),
        -1);

    // Random bytes, extreme coefficients too, into buffers of exactly max_frames frames.
    std::mt19937 rng(12);
    const Coefficients extreme{{{-32768, -32768}, {32767, 32767}, {-32768, 32767}}};
    for (int round = 0; round < 2000; ++round) {
        const int channels = 1 + round % 6, max_frames = 1 + static_cast<int>(rng() % 1500);
        const Coefficients& coefs = round % 2 == 0 ? standard : extreme;
        auto bytes = testing::Random<std::uint8_t>(rng, rng() % 700, 0, 255);
        for (std::size_t c = 0; c < std::min(bytes.size(), static_cast<std::size_t>(channels));
             ++c) {
            bytes[c] = static_cast<std::uint8_t>(bytes[c] % (coefs.pairs.size() + 1));
        }
        std::vector<std::int16_t> buffer(static_cast<std::size_t>(max_frames * channels));
        const int frames =
            DecodeBlock(bytes.data(), bytes.size(), channels, coefs, buffer.data(), max_frames);
        ASSERT_TRUE(frames >= -1 && frames <= max_frames);
    }
}

// Exactly sox's samples for every MS ADPCM file, and the frame count of a block cut short; and
// ffmpeg's for the files ffmpeg wrote, which use only the pair (256, 0). ffmpeg rounds the
// prediction towards zero rather than down, so it differs on sox's files (tests/data/README.md).
TEST(MsAdpcm, DecodesLikeThePeers) {
    for (const std::string base : {"ms_mono_sox", "ms_stereo_sox", "ms_mono_ffmpeg",
                                   "ms_stereo_ffmpeg", "ms_mono_sox_cut", "ms_stereo_sox_cut"}) {
        const testing::WavChunks wav = ReadWav(base + ".wav");
        ASSERT_EQ(wav.Tag(), 2) << base;
        int per_block = 0;
        Coefficients coefs;
        ASSERT_TRUE(ParseFormatExtra(wav.fmt.data() + 18, wav.fmt.size() - 18, &per_block, &coefs));
        EXPECT_EQ(per_block, SamplesPerBlock(wav.BlockAlign(), wav.Channels())) << base;
        const std::vector<std::int16_t> ours =
            MsDecode(wav.data, wav.Channels(), wav.BlockAlign(), coefs);
        EXPECT_EQ(ours, testing::ReadS16(base + ".sox.s16")) << base;
        if (base.ends_with("ffmpeg")) {
            EXPECT_EQ(ours, testing::ReadS16(base + ".ffmpeg.s16")) << base;
        }
    }
}

}  // namespace
}  // namespace sonvara::ms_adpcm
