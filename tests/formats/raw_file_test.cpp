// Headerless files: the sample codings, the generic reader and writer, and the openers the load
// and save dispatch calls.

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "formats/raw_file_sink.h"
#include "formats/raw_formats.h"
#include "tests/formats/format_test_util.h"
#include "tests/support/captured_diagnostics.h"
#include "tests/support/scratch_folder.h"

namespace sonvara {
namespace {

using testing::FileBytes;
using testing::ReadFrames;

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

// G.711 written out from its segment tables on the internal scale (µ-law's segment-5 base is
// G.711's 65472): each segment's base or threshold, plus the mantissa times its step.
const Sample kUlawBase[8] = {0, 2112, 6336, 14784, 31680, 65472, 133056, 268224};
const std::int64_t kUlawThreshold[8] = {0, 1984, 6080, 14272, 30656, 63360, 128960, 260032};
const Sample kAlawBase[8] = {128, 4224, 8448, 16896, 33792, 67584, 135168, 270336};
const std::int64_t kAlawThreshold[8] = {0, 4096, 8192, 16384, 32768, 65536, 131072, 262144};
const std::int64_t kAlawStep[8] = {256, 256, 512, 1024, 2048, 4096, 8192, 16384};

Sample TableExpand(std::uint8_t b, bool ulaw) {
    const int v = ulaw ? ~b & 0xFF : b ^ 0x55;
    const int e = (v >> 4) & 7, m = v & 15;
    const Sample magnitude =
        ulaw ? (m << (e + 7)) + kUlawBase[e] : kAlawBase[e] + static_cast<Sample>(kAlawStep[e]) * m;
    return (ulaw ? (v & 0x80) != 0 : v < 128) ? -magnitude : magnitude;
}

std::uint8_t TableCompress(std::int64_t x, bool ulaw) {
    const bool negative = x < 0;
    x = negative ? -x : x;
    const std::int64_t* threshold = ulaw ? kUlawThreshold : kAlawThreshold;
    int e = 0;
    while (e < 7 && x >= threshold[e + 1]) {
        ++e;
    }
    const std::int64_t step = ulaw ? std::int64_t{1} << (e + 7) : kAlawStep[e];
    const int m = static_cast<int>(std::min<std::int64_t>((x - threshold[e]) / step, 15));
    return ulaw ? static_cast<std::uint8_t>(~((negative ? 0x80 : 0) | (e << 4) | m))
                : static_cast<std::uint8_t>(((negative ? 0 : 0x80) | (e << 4) | m) ^ 0x55);
}

template <typename Coding>
std::uint8_t Code(Sample x) {
    std::uint8_t b = 0;
    Coding::Encode(x, &b);
    return b;
}

template <typename Coding>
Sample Expand(std::uint8_t b) {
    return Coding::Decode(&b);
}

TEST(RawSampleCodings, G711AgainstItsSegmentTables) {
    for (int b = 0; b < 256; ++b) {
        const auto code = static_cast<std::uint8_t>(b);
        ASSERT_EQ(Expand<RawUlaw>(code), TableExpand(code, true)) << b;
        ASSERT_EQ(Expand<RawAlaw>(code), TableExpand(code, false)) << b;
        ASSERT_LE(std::abs(Expand<RawUlaw>(code)), RawUlaw::kPeak);
        ASSERT_LE(std::abs(Expand<RawAlaw>(code)), RawAlaw::kPeak);
    }
    EXPECT_EQ(Expand<RawUlaw>(0xFF), 0);
    EXPECT_EQ(Expand<RawUlaw>(0x00), -513984);
    EXPECT_EQ(Expand<RawAlaw>(0xD5), 128);
    EXPECT_EQ(Expand<RawAlaw>(0x55), -128);

    // Compression, over every sample within ±600000 (past full scale) and a sweep of all 32 bits:
    // both are the table truncation, except that µ-law's segment-5 threshold is 63424, the level
    // that goes with the segment-5 base 65472, instead of the table's 63360 (which goes with the
    // old 65408). So exactly the first 64 samples of each segment-5 step code one level higher.
    int alaw_wrong = 0, ulaw_unexplained = 0, segment5 = 0;
    auto check = [&](std::int32_t x) {
        alaw_wrong += Code<RawAlaw>(x) != TableCompress(x, false);
        const std::int64_t magnitude = std::abs(std::int64_t{x});
        const bool in5 =
            magnitude >= 63360 && magnitude < 63360 + 16 * 4096 && (magnitude - 63360) % 4096 < 64;
        const bool differs = Code<RawUlaw>(x) != TableCompress(x, true);
        segment5 += differs && in5;
        ulaw_unexplained += differs != in5;
    };
    for (std::int32_t x = -600000; x <= 600000; ++x) {
        check(x);
    }
    for (std::int64_t x = kMin; x <= kMax; x += 65521) {
        check(static_cast<std::int32_t>(x));
    }
    check(kMin);
    check(kMax);
    EXPECT_EQ(alaw_wrong, 0);
    EXPECT_EQ(ulaw_unexplained, 0);
    EXPECT_EQ(segment5, 2 * 16 * 64);
    // Every sample codes to a level at or below it (truncation), and 0x7FFF0 to the top code.
    EXPECT_EQ(Code<RawUlaw>(0x7FFF0), 0x80);
    EXPECT_EQ(Code<RawUlaw>(127), 0xFF);
    EXPECT_EQ(Code<RawUlaw>(128), 0xFE);
}

TEST(RawSampleCodings, PcmCodingsRoundWrapAndClamp) {
    struct Case {
        Sample x;
        std::uint16_t pcm16;  // the low 16 bits of (x + 8) >> 4
        std::uint8_t u8, s8;
    };
    const Case cases[] = {
        {7, 0x0000, 0x80, 0x00},
        {8, 0x0001, 0x80, 0x00},
        {-9, 0xFFFF, 0x80, 0x00},
        {2048, 0x0080, 0x81, 0x01},
        {-2049, 0xFF80, 0x7F, 0xFF},
        // Full scale rounds to 8-bit step 128: held at 127 rather than wrapped to -128.
        {FULL_SCALE, 0x7FFF, 0xFF, 0x7F},
        {-FULL_SCALE, 0x8001, 0x00, 0x80},
        // Past full scale the 16-bit codings keep the low bits; the 8-bit ones hold.
        {0x80000, 0x8000, 0xFF, 0x7F},
        {kMax, 0x0000, 0xFF, 0x7F},
        {kMin, 0x0000, 0x00, 0x80},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        std::uint8_t le[2], be[2];
        RawPcm16LE::Encode(c.x, le);
        RawPcm16BE::Encode(c.x, be);
        EXPECT_EQ(le[0] | (le[1] << 8), c.pcm16);
        EXPECT_EQ((be[0] << 8) | be[1], c.pcm16);
        EXPECT_EQ(Code<RawPcm8Unsigned>(c.x), c.u8);
        EXPECT_EQ(Code<RawPcm8Signed>(c.x), c.s8);
    }
}

class RawFileTest : public ::testing::Test {
  protected:
    testing::ScratchFolder scratch_;
};

TEST_F(RawFileTest, ReadsWholeFramesWithSilenceAroundThem) {
    // 8197 stereo frames counting up (across the reader's 8192-frame buffer), then 3 bytes of
    // a frame that is not there.
    const std::string path = scratch_.File("a.raw");
    testing::Bytes bytes;
    std::vector<Sample> expected(4, 0);  // two frames before the start
    for (int i = 1; i <= 2 * 8197; ++i) {
        bytes.U8(static_cast<std::uint32_t>(i)).U8(static_cast<std::uint32_t>(i) >> 8);
        expected.push_back(i * 16);
    }
    bytes.Append({1, 2, 3}).WriteTo(path);
    expected.insert(expected.end(), 6, 0);  // three frames past the end

    LSoundSourceRef source = OpenRawSource(path, RawEncoding::kPcm16LE, 8000, 2);
    ASSERT_FALSE(source->IsError());
    EXPECT_EQ(source->GetLength(), 8197);
    EXPECT_EQ(source->GetMaxSample(), FULL_SCALE);
    source->Seek(-2);
    std::vector<Sample> read;
    for (std::int32_t piece : {1, 3, 8190, 5, 3}) {  // 8202 frames
        const std::vector<Sample> part = ReadFrames(*source, piece);
        read.insert(read.end(), part.begin(), part.end());
    }
    EXPECT_EQ(read, expected);
    EXPECT_EQ(source->GetPosition(), 8200);
    source->Seek(kMax - 2);  // the position stops at the largest frame number
    EXPECT_EQ(ReadFrames(*source, 5), std::vector<Sample>(10, 0));
    EXPECT_EQ(source->GetPosition(), kMax);

    // The length of a headerless file follows the file as it grows.
    std::ofstream(path, std::ios::binary | std::ios::app).write("\x04\x05\x06\x07\x08", 5);
    EXPECT_EQ(source->GetLength(), 8199);
    source->Seek(8197);
    EXPECT_EQ(ReadFrames(*source, 2),
              (std::vector<Sample>{0x0201 * 16, 0x0403 * 16, 0x0605 * 16, 0x0807 * 16}));
}

// A header callback that records its calls and writes 10 bytes of 0xEE.
std::vector<std::pair<SampleHeaderInfo, bool>> headers;
std::int64_t RecordingHeader(LFile& file, const SampleHeaderInfo& info, bool final) {
    EXPECT_EQ(file.Tell(), 0);
    headers.emplace_back(info, final);
    return file.Write(std::vector<std::uint8_t>(10, 0xEE).data(), 10) == 10 ? 10 : -1;
}

TEST_F(RawFileTest, HeaderFirstAndFinalAndBackwardsSeekCuts) {
    headers.clear();
    const std::string path = scratch_.File("h.raw");
    {
        LRawFileDataSoundSink<RawPcm16BE> sink(path, 22050, 2, &RecordingHeader);
        ASSERT_EQ(headers.size(), 1u);
        const Sample frames[] = {16, 32, 48, 64, -16, -32, 80, 96, 112, 128};
        sink.Write(frames, 5);
        sink.Truncate(6);  // forward: ignored
        EXPECT_EQ(sink.GetFramesWritten(), 5);
        sink.Truncate(2);
        EXPECT_EQ(FileBytes(path).size(), 10u + 2 * 4);
        sink.Write(frames + 8, 1);  // goes on after the two frames kept
        ASSERT_TRUE(sink.Finish());
    }
    ASSERT_EQ(headers.size(), 2u);
    EXPECT_FALSE(headers[0].second);
    EXPECT_EQ(headers[0].first.frames, 0);
    EXPECT_TRUE(headers[1].second);
    EXPECT_EQ(headers[1].first.frames, 3);
    EXPECT_EQ(headers[1].first.sample_rate, 22050);
    EXPECT_EQ(headers[1].first.DataBytes(), 12u);
    const std::vector<std::uint8_t> expected = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE,
                                                0xEE, 0xEE, 0,    1,    0,    2,    0,    3,
                                                0,    4,    0,    7,    0,    8};
    EXPECT_EQ(FileBytes(path), expected);
    {
        LRawFileDataSoundSink<RawPcm8Signed> sink(path, 8000, 1, &RecordingHeader);
        const Sample one[] = {4096};
        sink.Write(one, 1);
        sink.Truncate(-7);  // everything after the header
        EXPECT_EQ(sink.GetFramesWritten(), 0);
        ASSERT_TRUE(sink.Finish());
    }
    EXPECT_EQ(FileBytes(path), std::vector<std::uint8_t>(10, 0xEE));
    {
        // A headerless writer over an existing file starts it anew.
        LRawFileDataSoundSink<RawPcm8Signed> sink(path, 8000, 1);
        const Sample one[] = {4096};
        sink.Write(one, 1);
        ASSERT_TRUE(sink.Finish());
    }
    EXPECT_EQ(FileBytes(path), std::vector<std::uint8_t>{1});
}

TEST_F(RawFileTest, FilesThatCannotBeOpenedOrCreatedGiveErrorObjects) {
    testing::CapturedDiagnostics diagnostics;
    const std::string missing = scratch_.File("none.raw");
    const std::string uncreatable = scratch_.File("no/folder.raw");
    for (int e = 0; e < kRawEncodingCount; ++e) {
        const auto encoding = static_cast<RawEncoding>(e);
        SCOPED_TRACE(e);
        LSoundSourceRef source = OpenRawSource(missing, encoding, 8000, 1);
        EXPECT_TRUE(source->IsError());
        EXPECT_EQ(source->GetLength(), 0);
        LSoundSinkRef sink = OpenRawSink(uncreatable, encoding, 8000, 1);
        ASSERT_TRUE(sink);
        EXPECT_TRUE(sink->IsError());
        const Sample one[] = {1234};
        sink->Write(one, 1);
        sink->Truncate(0);
        EXPECT_FALSE(sink->Finish());
    }
    EXPECT_TRUE(diagnostics.Contains("LSNKVOX::LSNKVOX unable to open file: " + uncreatable));
    // A rate below 1 or no channels: the empty source too.
    std::ofstream(missing) << "abcd";
    EXPECT_TRUE(OpenRawSource(missing, RawEncoding::kPcm16LE, 0, 1)->IsError());
    EXPECT_TRUE(OpenRawSource(missing, RawEncoding::kPcm8Signed, 8000, 0)->IsError());
    EXPECT_TRUE(OpenRawSource(missing, RawEncoding::kDialogicAdpcm, -5, 1)->IsError());
    EXPECT_EQ(OpenRawSource(missing, RawEncoding::kDialogicAdpcm, 8000, 1)->GetLength(), 8);
}

}  // namespace
}  // namespace sonvara
