// MPEG audio Layer III framing: headers and their tables, the bounded bit reader, side
// information and the bit reservoir, checked on hand-made headers and on LAME-made streams.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <numeric>

#include "codecs/mp3/mp3_bit_reader.h"
#include "codecs/mp3/mp3_frame_layout.h"
#include "codecs/mp3/mp3_reservoir.h"
#include "core/byte_order.h"
#include "tests/codecs/mp3_test_util.h"

namespace sonvara {
namespace {

using mp3::FrameHeader;
using mp3::HeaderError;
using testing::Mp3Bytes;
using testing::Mp3Frames;
using testing::Mp3Streams;

std::array<std::uint8_t, 4> HeaderBytes(std::uint32_t word) {
    std::array<std::uint8_t, 4> bytes{};
    StoreBE32(bytes.data(), word);
    return bytes;
}

TEST(Mp3Header, GivesTheFrameLengthsOfEachVersion) {
    struct Case {
        std::uint32_t word;
        mp3::Version version;
        int bitrate;
        int rate;
        int frame_bytes;
        int samples;
    };
    // 417/418 bytes at 128 kbit/s and 44.1 kHz, the frame sizes every MP3 player shows; the
    // rest follow from 144 (or 72) × bitrate ÷ rate, truncated, plus the padding byte.
    const Case cases[] = {
        {0xFFFB9000, mp3::Version::kMpeg1, 128000, 44100, 417, 1152},
        {0xFFFB9200, mp3::Version::kMpeg1, 128000, 44100, 418, 1152},
        {0xFFFB9400, mp3::Version::kMpeg1, 128000, 48000, 384, 1152},
        {0xFFFB9800, mp3::Version::kMpeg1, 128000, 32000, 576, 1152},
        {0xFFFBE000, mp3::Version::kMpeg1, 320000, 44100, 1044, 1152},
        {0xFFFB1800, mp3::Version::kMpeg1, 32000, 32000, 144, 1152},
        {0xFFF38000, mp3::Version::kMpeg2, 64000, 22050, 208, 576},
        {0xFFF38400, mp3::Version::kMpeg2, 64000, 24000, 192, 576},
        {0xFFF3E800, mp3::Version::kMpeg2, 160000, 16000, 720, 576},
        {0xFFE31800, mp3::Version::kMpeg25, 8000, 8000, 72, 576},
        {0xFFE31200, mp3::Version::kMpeg25, 8000, 11025, 53, 576},
        {0xFFE3E400, mp3::Version::kMpeg25, 160000, 12000, 960, 576},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        const auto bytes = HeaderBytes(c.word);
        const std::optional<FrameHeader> header = mp3::ParseHeader(bytes.data());
        ASSERT_TRUE(header);
        EXPECT_EQ(header->version, c.version);
        EXPECT_EQ(header->Bitrate(), c.bitrate);
        EXPECT_EQ(header->SampleRate(), c.rate);
        EXPECT_EQ(header->FrameBytes(), c.frame_bytes);
        EXPECT_EQ(header->SamplesPerFrame(), c.samples);
        EXPECT_FALSE(header->has_crc);
    }
}

TEST(Mp3Header, ReadsModeCrcAndSideInformationSize) {
    struct Case {
        std::uint32_t word;
        mp3::Mode mode;
        int mode_extension;
        bool crc;
        int side_offset;
        int side_bytes;
    };
    const Case cases[] = {
        {0xFFFB9000, mp3::Mode::kStereo, 0, false, 4, 32},
        {0xFFFA9060, mp3::Mode::kJointStereo, 2, true, 6, 32},
        {0xFFFB9070, mp3::Mode::kJointStereo, 3, false, 4, 32},
        {0xFFFB9080, mp3::Mode::kDualChannel, 0, false, 4, 32},
        {0xFFFA90C0, mp3::Mode::kSingleChannel, 0, true, 6, 17},
        {0xFFF380C0, mp3::Mode::kSingleChannel, 0, false, 4, 9},
        {0xFFE21850, mp3::Mode::kJointStereo, 1, true, 6, 17},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        const auto bytes = HeaderBytes(c.word);
        const std::optional<FrameHeader> header = mp3::ParseHeader(bytes.data());
        ASSERT_TRUE(header);
        EXPECT_EQ(header->mode, c.mode);
        EXPECT_EQ(header->mode_extension, c.mode_extension);
        EXPECT_EQ(header->Channels(), c.mode == mp3::Mode::kSingleChannel ? 1 : 2);
        EXPECT_EQ(header->has_crc, c.crc);
        EXPECT_EQ(header->SideInfoOffset(), c.side_offset);
        EXPECT_EQ(header->SideInfoBytes(), c.side_bytes);
        EXPECT_EQ(header->MiddleSide(),
                  c.mode == mp3::Mode::kJointStereo && (c.mode_extension & 2));
        EXPECT_EQ(header->Intensity(), c.mode == mp3::Mode::kJointStereo && (c.mode_extension & 1));
    }
}

TEST(Mp3Header, RejectsWhatIsNotALayer3HeaderAndSaysWhy) {
    const std::pair<std::uint32_t, HeaderError> cases[] = {
        {0xFEFB9000, HeaderError::kNoSync},            // first byte not all ones
        {0xFFDB9000, HeaderError::kNoSync},            // eleventh sync bit clear
        {0xFFEB9000, HeaderError::kReservedVersion},   // version 01
        {0xFFFD9000, HeaderError::kNotLayer3},         // layer II
        {0xFFFF9000, HeaderError::kNotLayer3},         // layer I
        {0xFFF99000, HeaderError::kNotLayer3},         // layer 00
        {0xFFFB0000, HeaderError::kFreeOrBadBitrate},  // free format
        {0xFFFBF000, HeaderError::kFreeOrBadBitrate},  // forbidden index
        {0xFFE3F000, HeaderError::kFreeOrBadBitrate},
        {0xFFFB9C00, HeaderError::kBadSampling},  // reserved sampling index
        {0xFFE31C00, HeaderError::kBadSampling},
    };
    for (const auto& [word, why] : cases) {
        SCOPED_TRACE(word);
        const auto bytes = HeaderBytes(word);
        HeaderError error = HeaderError::kNone;
        EXPECT_FALSE(mp3::ParseHeader(bytes.data(), &error));
        EXPECT_EQ(error, why);
    }
}

TEST(Mp3Header, FrameLengthsChainThroughEveryLameStreamToItsLastByte) {
    for (const testing::Mp3Stream& stream : Mp3Streams()) {
        SCOPED_TRACE(stream.name);
        const std::vector<std::uint8_t> bytes = Mp3Bytes(stream.name);
        std::size_t end = 0;
        const std::vector<testing::Mp3Frame> frames = Mp3Frames(bytes, &end);
        EXPECT_EQ(end, bytes.size());
        // 1 s of input, and LAME adds an encoder delay and a padded last frame.
        const std::size_t samples =
            frames.size() *
            static_cast<std::size_t>(frames.front().layout.header.SamplesPerFrame());
        EXPECT_GE(samples, static_cast<std::size_t>(stream.sample_rate));
        EXPECT_LT(samples, static_cast<std::size_t>(stream.sample_rate) + 4 * 1152);
        for (const testing::Mp3Frame& frame : frames) {
            const FrameHeader& header = frame.layout.header;
            ASSERT_EQ(header.version, stream.version);
            ASSERT_EQ(header.SampleRate(), stream.sample_rate);
            ASSERT_EQ(header.Channels(), stream.channels);
            ASSERT_EQ(header.has_crc, stream.crc);
            ASSERT_TRUE(mp3::SameStream(header, frames.front().layout.header));
            if (!stream.joint) {
                ASSERT_NE(header.mode, mp3::Mode::kJointStereo);
            }
        }
    }
}

TEST(Mp3Header, FindsTheFirstFrameBehindJunkWithinTheSearchLimit) {
    const std::vector<std::uint8_t> stream = Mp3Bytes("cbr64_mono_32k.mp3");
    // Junk with false syncs: 0xFF followed by bytes that fail one check or another.
    std::vector<std::uint8_t> bytes = {0xFF, 0xFF, 0xFF, 0xEB, 0x90, 0x00, 0x12, 0xFF, 0xFD, 0x90};
    bytes.resize(1000, 0xFF);
    bytes.insert(bytes.end(), stream.begin(), stream.end());
    EXPECT_EQ(mp3::FindHeader(bytes, 0, 16384), 1000U);
    EXPECT_EQ(mp3::FindHeader(bytes, 0, 1000), std::nullopt);
    EXPECT_EQ(mp3::FindHeader(bytes, 0, 1001), 1000U);
    const std::span<const std::uint8_t> cut = std::span(bytes).first(1003);
    EXPECT_EQ(mp3::FindHeader(cut, 0, 16384), std::nullopt);
}

TEST(Mp3BitReader, ReadsMostSignificantBitFirstAcrossBytes) {
    const std::uint8_t bytes[] = {0b10110010, 0b01111000, 0xA5, 0x3C, 0xFF};
    mp3::BitReader bits(bytes);
    EXPECT_EQ(bits.Read(1), 1U);
    EXPECT_EQ(bits.Read(3), 0b011U);
    EXPECT_EQ(bits.Read(9), 0b001001111U);
    EXPECT_EQ(bits.Position(), 13U);
    EXPECT_EQ(bits.Read(0), 0U);
    EXPECT_EQ(bits.Read(3), 0b000U);
    EXPECT_EQ(bits.Read(24), 0xA53CFFU);
    EXPECT_FALSE(bits.Overrun());
    EXPECT_EQ(bits.BitsLeft(), 0U);
    bits.Seek(8);
    EXPECT_EQ(bits.Read(32), 0x78A53CFFU);
    EXPECT_FALSE(bits.Overrun());
}

TEST(Mp3BitReader, ReadsZerosPastTheEndAndSaysSo) {
    const std::uint8_t bytes[] = {0xFF, 0xFF};
    mp3::BitReader bits(std::span<const std::uint8_t>(bytes, 1));
    EXPECT_EQ(bits.Read(4), 0xFU);
    EXPECT_EQ(bits.Read(8), 0xF0U);  // the byte after the range is not read
    EXPECT_TRUE(bits.Overrun());
    EXPECT_EQ(bits.BitsLeft(), 0U);
    bits.Seek(0);
    EXPECT_FALSE(bits.Overrun());
    bits.Skip(9);
    EXPECT_TRUE(bits.Overrun());
    EXPECT_EQ(bits.ReadBit(), 0U);

    mp3::BitReader empty;
    EXPECT_EQ(empty.Read(32), 0U);
    EXPECT_TRUE(empty.Overrun());
}

TEST(Mp3SideInfo, CrcOfEveryProtectedFrameMatchesAndCatchesAFlippedBit) {
    const std::vector<std::uint8_t> bytes = Mp3Bytes("crc_nores_stereo_44k.mp3");
    std::size_t end = 0;
    const std::vector<testing::Mp3Frame> frames = Mp3Frames(bytes, &end);
    ASSERT_GT(frames.size(), 10U);
    for (const testing::Mp3Frame& frame : frames) {
        ASSERT_TRUE(mp3::CrcMatches(frame.layout, std::span(bytes).subspan(frame.offset)))
            << frame.offset;
    }
    // Any one bit of the side information or of the header's last two bytes counts.
    const testing::Mp3Frame& frame = frames[5];
    for (std::size_t bit : {16U, 31U, 48U, 100U, 48U + 32 * 8 - 1}) {
        std::vector<std::uint8_t> damaged(bytes.begin() + static_cast<std::ptrdiff_t>(frame.offset),
                                          bytes.begin() + static_cast<std::ptrdiff_t>(end));
        damaged[bit / 8] ^= static_cast<std::uint8_t>(0x80 >> (bit % 8));
        const std::optional<mp3::FrameLayout> layout = mp3::ReadFrameLayout(damaged);
        if (layout) {
            EXPECT_FALSE(mp3::CrcMatches(*layout, damaged)) << bit;
        }
    }
}

// Where each frame's main data lies in the stream of all frames' main data.
struct MainDataSpan {
    std::size_t begin;
    std::size_t end;
};

TEST(Mp3SideInfo, MainDataOfSuccessiveGranulesFollowsInOrderWithoutOverlap) {
    for (const testing::Mp3Stream& stream : Mp3Streams()) {
        SCOPED_TRACE(stream.name);
        const std::vector<std::uint8_t> bytes = Mp3Bytes(stream.name);
        std::size_t end = 0;
        const std::vector<testing::Mp3Frame> frames = Mp3Frames(bytes, &end);
        std::size_t stream_bytes = 0;  // main data bytes before this frame's own
        std::size_t previous_end = 0;
        int frames_using_reservoir = 0;
        for (std::size_t f = 0; f < frames.size(); ++f) {
            const mp3::FrameLayout& layout = frames[f].layout;
            const auto begin = static_cast<std::size_t>(layout.side.main_data_begin);
            if (!stream.reservoir) {
                ASSERT_EQ(begin, 0U) << f;
            }
            ASSERT_LE(begin, stream_bytes) << f;
            if (begin > 0) {
                ++frames_using_reservoir;
            }
            std::size_t bits = 0;
            for (int gr = 0; gr < layout.header.Granules(); ++gr) {
                for (int ch = 0; ch < layout.header.Channels(); ++ch) {
                    const mp3::GranuleChannel& gc =
                        layout.side
                            .granules[static_cast<std::size_t>(gr)][static_cast<std::size_t>(ch)];
                    ASSERT_LE(gc.big_values * 2, mp3::kGranuleLines);
                    // global_gain 210 is 1.0; LAME never codes far above full scale.
                    ASSERT_LE(gc.global_gain, 210 + 40) << f;
                    bits += static_cast<std::size_t>(gc.part2_3_length);
                }
            }
            const MainDataSpan span{stream_bytes - begin, stream_bytes - begin + (bits + 7) / 8};
            ASSERT_GE(span.begin, previous_end) << f;
            previous_end = span.end;
            stream_bytes += layout.main_data.size();
            ASSERT_LE(span.end, stream_bytes) << f;
        }
        if (stream.reservoir) {
            EXPECT_GT(frames_using_reservoir, 0);
        }
    }
}

TEST(Mp3SideInfo, BlockTypesFollowTheWindowSwitchingOrderAndShortBlocksAppear) {
    // The transient input makes LAME switch; a long window only goes short through a start
    // window and comes back through a stop window.
    for (const testing::Mp3Stream& stream : Mp3Streams()) {
        SCOPED_TRACE(stream.name);
        const std::vector<std::uint8_t> bytes = Mp3Bytes(stream.name);
        std::size_t end = 0;
        int short_blocks = 0;
        std::array<mp3::BlockType, 2> previous = {mp3::BlockType::kNormal, mp3::BlockType::kNormal};
        for (const testing::Mp3Frame& frame : Mp3Frames(bytes, &end)) {
            const mp3::FrameLayout& layout = frame.layout;
            for (int gr = 0; gr < layout.header.Granules(); ++gr) {
                for (int ch = 0; ch < layout.header.Channels(); ++ch) {
                    const mp3::GranuleChannel& gc =
                        layout.side
                            .granules[static_cast<std::size_t>(gr)][static_cast<std::size_t>(ch)];
                    const mp3::BlockType was = previous[static_cast<std::size_t>(ch)];
                    const bool after_long =
                        was == mp3::BlockType::kNormal || was == mp3::BlockType::kStop;
                    const bool now_long = gc.block_type == mp3::BlockType::kNormal ||
                                          gc.block_type == mp3::BlockType::kStart;
                    EXPECT_EQ(after_long, now_long) << frame.offset;
                    EXPECT_EQ(gc.window_switching, gc.block_type != mp3::BlockType::kNormal);
                    EXPECT_FALSE(gc.mixed_block);
                    if (gc.block_type == mp3::BlockType::kShort) {
                        ++short_blocks;
                        EXPECT_EQ(gc.region0_count, 8);
                    } else if (gc.window_switching) {
                        EXPECT_EQ(gc.region0_count, 7);
                    }
                    if (layout.header.IsMpeg1()) {
                        EXPECT_LT(gc.scalefac_compress, 16);
                    }
                    previous[static_cast<std::size_t>(ch)] = gc.block_type;
                }
            }
        }
        EXPECT_GT(short_blocks, 0);
    }
}

TEST(Mp3SideInfo, RejectsUndefinedFieldsAndShortInput) {
    // MPEG-1 single channel: main_data_begin 9, private 5, scfsi 4, then granule 0 at bit 18:
    // part2_3_length 12, big_values 9, global_gain 8, scalefac_compress 4, window switching 1,
    // block_type 2.
    const auto header_bytes = HeaderBytes(0xFFFB90C0);
    const FrameHeader header = *mp3::ParseHeader(header_bytes.data());
    std::array<std::uint8_t, 17> side{};
    auto set_bits = [&side](int at, int count, std::uint32_t value) {
        for (int i = 0; i < count; ++i) {
            const int bit = at + i;
            const auto mask = static_cast<std::uint8_t>(0x80 >> (bit % 8));
            if ((value >> (count - 1 - i)) & 1U) {
                side[static_cast<std::size_t>(bit / 8)] |= mask;
            } else {
                side[static_cast<std::size_t>(bit / 8)] &= static_cast<std::uint8_t>(~mask);
            }
        }
    };
    mp3::SideInfoError error = mp3::SideInfoError::kNone;
    set_bits(0, 9, 300);
    set_bits(30, 9, 288);
    std::optional<mp3::SideInfo> info = mp3::ReadSideInfo(header, side, &error);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->main_data_begin, 300);
    EXPECT_EQ(info->granules[0][0].big_values, 288);

    set_bits(30, 9, 289);
    EXPECT_FALSE(mp3::ReadSideInfo(header, side, &error));
    EXPECT_EQ(error, mp3::SideInfoError::kBigValuesTooLarge);

    set_bits(30, 9, 0);
    set_bits(51, 1, 1);  // window switching with block type 0
    EXPECT_FALSE(mp3::ReadSideInfo(header, side, &error));
    EXPECT_EQ(error, mp3::SideInfoError::kReservedBlockType);
    set_bits(52, 2, 2);
    set_bits(54, 1, 1);
    info = mp3::ReadSideInfo(header, side, &error);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->granules[0][0].block_type, mp3::BlockType::kShort);
    EXPECT_TRUE(info->granules[0][0].mixed_block);
    EXPECT_EQ(info->granules[0][0].region0_count, 7);

    EXPECT_FALSE(mp3::ReadSideInfo(header, std::span(side).first(16), &error));
    EXPECT_EQ(error, mp3::SideInfoError::kTooShort);
}

TEST(Mp3Reservoir, HandsOutMainDataFromEarlierFramesUpToTheLookBackLimit) {
    mp3::BitReservoir reservoir;
    // Frames of 400 bytes whose byte values tell where they are in the main data stream.
    std::vector<std::uint8_t> all;
    for (int frame = 0; frame < 6; ++frame) {
        std::vector<std::uint8_t> main_data(400);
        for (std::size_t i = 0; i < main_data.size(); ++i) {
            main_data[i] = static_cast<std::uint8_t>((all.size() + i) * 7 % 251);
        }
        const int begin = frame == 0 ? 1 : std::min(511, frame * 400 - 1);
        const std::optional<std::span<const std::uint8_t>> got = reservoir.Add(main_data, begin);
        all.insert(all.end(), main_data.begin(), main_data.end());
        if (frame == 0) {
            EXPECT_FALSE(got);  // nothing before the first frame
            continue;
        }
        ASSERT_TRUE(got);
        ASSERT_EQ(got->size(), 400U + static_cast<std::size_t>(begin));
        EXPECT_TRUE(std::equal(got->begin(), got->end(),
                               all.end() - static_cast<std::ptrdiff_t>(got->size())));
        EXPECT_LE(reservoir.Stored(), mp3::BitReservoir::kMaxLookBack + 400);
    }
    // One byte further back than it keeps is refused, but the frame is still kept.
    const std::vector<std::uint8_t> next(100, 9);
    EXPECT_FALSE(reservoir.Add(next, 512));
    const std::optional<std::span<const std::uint8_t>> got = reservoir.Add(next, 511);
    ASSERT_TRUE(got);
    EXPECT_EQ(got->size(), 611U);
    EXPECT_TRUE(std::all_of(got->end() - 200, got->end(), [](std::uint8_t b) { return b == 9; }));

    reservoir.Reset();
    EXPECT_FALSE(reservoir.Add(next, 1));
    EXPECT_TRUE(reservoir.Add(next, 100));
    // More than any frame holds is refused and breaks the chain.
    const std::vector<std::uint8_t> huge(mp3::BitReservoir::kMaxFrameMainData + 1);
    EXPECT_FALSE(reservoir.Add(huge, 0));
    EXPECT_EQ(reservoir.Stored(), 0U);
}

}  // namespace
}  // namespace sonvara
