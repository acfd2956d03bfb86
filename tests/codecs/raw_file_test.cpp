// Headerless files: the six sample codings, the generic reader and writer, and the openers the
// load and save dispatch calls.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "codecs/raw_file_sink.h"
#include "codecs/raw_file_source.h"
#include "codecs/raw_formats.h"
#include "tests/codecs/format_test_util.h"
#include "tests/support/scratch_folder.h"

namespace sonvara {
namespace {

using testing::Bytes;
using testing::FileBytes;
using testing::ReadFrames;

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

// ---- The G.711 expansions and compressions as the file formats describe them, on the internal
// scale, transcribed directly (the µ-law segment-5 base is G.711's 65472).

Sample DescribedUlawExpand(std::uint8_t b) {
    static const Sample kBase[8] = {0, 2112, 6336, 14784, 31680, 65472, 133056, 268224};
    const int inverted = ~b & 0xFF;
    const int e = (inverted >> 4) & 7;
    const int m = inverted & 15;
    const Sample magnitude = (m << (e + 7)) + kBase[e];
    return (inverted & 0x80) != 0 ? -magnitude : magnitude;
}

Sample DescribedAlawExpand(std::uint8_t b) {
    static const Sample kBase[8] = {128, 4224, 8448, 16896, 33792, 67584, 135168, 270336};
    static const Sample kStep[8] = {256, 256, 512, 1024, 2048, 4096, 8192, 16384};
    const int bits = b ^ 0x55;
    const int e = (bits >> 4) & 7;
    const Sample magnitude = kBase[e] + kStep[e] * (bits & 15);
    return bits < 128 ? -magnitude : magnitude;
}

std::uint8_t DescribedUlawCompress(std::int64_t x) {
    static const std::int64_t kThreshold[8] = {0, 1984, 6080, 14272, 30656, 63360, 128960, 260032};
    int sign = 0;
    if (x < 0) {
        sign = 0x80;
        x = -x;
    }
    int e = 0;
    while (e < 7 && x >= kThreshold[e + 1]) {
        ++e;
    }
    const std::int64_t m = std::min<std::int64_t>((x - kThreshold[e]) >> (e + 7), 15);
    return static_cast<std::uint8_t>(~(sign | (e << 4) | static_cast<int>(m)));
}

std::uint8_t DescribedAlawCompress(std::int64_t x) {
    static const std::int64_t kThreshold[8] = {0, 4096, 8192, 16384, 32768, 65536, 131072, 262144};
    static const std::int64_t kStep[8] = {256, 256, 512, 1024, 2048, 4096, 8192, 16384};
    int sign = 0x80;
    if (x < 0) {
        sign = 0;
        x = -x;
    }
    int e = 0;
    while (e < 7 && x >= kThreshold[e + 1]) {
        ++e;
    }
    const std::int64_t m = std::min<std::int64_t>((x - kThreshold[e]) / kStep[e], 15);
    return static_cast<std::uint8_t>((sign | (e << 4) | static_cast<int>(m)) ^ 0x55);
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

// Every sample in ±600000 (past full scale on both sides), then a sparse sweep of the whole
// 32-bit range with both ends.
template <typename Visit>
void ForWideRange(Visit visit) {
    for (std::int32_t x = -600000; x <= 600000; ++x) {
        visit(x);
    }
    for (std::int64_t x = kMin; x <= kMax; x += 65521) {
        visit(static_cast<std::int32_t>(x));
    }
    visit(kMin);
    visit(kMax);
}

TEST(RawSampleCodings, G711ExpansionsAreTheDescribedTablesForEveryCode) {
    for (int b = 0; b < 256; ++b) {
        SCOPED_TRACE(b);
        const auto code = static_cast<std::uint8_t>(b);
        EXPECT_EQ(Expand<RawUlaw>(code), DescribedUlawExpand(code));
        EXPECT_EQ(Expand<RawAlaw>(code), DescribedAlawExpand(code));
        EXPECT_LE(std::abs(Expand<RawUlaw>(code)), RawUlaw::kPeak);
        EXPECT_LE(std::abs(Expand<RawAlaw>(code)), RawAlaw::kPeak);
    }
    EXPECT_EQ(Expand<RawUlaw>(0xFF), 0);
    EXPECT_EQ(Expand<RawUlaw>(0x00), -513984);
    EXPECT_EQ(Expand<RawUlaw>(0xAF), 65472);  // the first code of segment 5
    EXPECT_EQ(Expand<RawAlaw>(0xD5), 128);
    EXPECT_EQ(Expand<RawAlaw>(0x55), -128);
    EXPECT_EQ(Expand<RawAlaw>(0xAA), RawAlaw::kPeak);
}

TEST(RawSampleCodings, AlawCompressionIsTheDescribedTruncationEverywhere) {
    int mismatches = 0;
    ForWideRange([&](std::int32_t x) {
        if (Code<RawAlaw>(x) != DescribedAlawCompress(x) && ++mismatches <= 5) {
            ADD_FAILURE() << "x = " << x;
        }
    });
    EXPECT_EQ(mismatches, 0);
}

// The µ-law compression follows G.711's decision levels, which are what the described formula
// gives except in two places: in segment 0 G.711 decides at the middle between two levels where
// the formula takes the level below, and in segment 5 the formula's threshold 63360 sits 64 below
// G.711's (the same slip as the old expansion base 65408), so each of its steps starts 64 early.
// Everywhere, the sample lies inside the G.711 step of the code it gets.
TEST(RawSampleCodings, UlawCompressionIsTheDescribedTruncationOnG711Levels) {
    auto in_segment0_upper_half = [](std::int64_t magnitude) {
        return magnitude < 1984 && ((magnitude >> 4) & 7) >= 4;
    };
    auto in_segment5_slip = [](std::int64_t magnitude) {
        return magnitude >= 63360 && magnitude < 63360 + 16 * 4096 &&
               (magnitude - 63360) % 4096 < 64;
    };
    int segment0 = 0, segment5 = 0, unexplained = 0, outside_step = 0;
    ForWideRange([&](std::int32_t x) {
        const std::uint8_t ours = Code<RawUlaw>(x);
        const std::int64_t magnitude = x < 0 ? -std::int64_t{x} : x;
        if (ours != DescribedUlawCompress(x)) {
            if (in_segment0_upper_half(magnitude)) {
                ++segment0;
            } else if (in_segment5_slip(magnitude)) {
                ++segment5;
            } else if (++unexplained <= 5) {
                ADD_FAILURE() << "x = " << x;
            }
        } else if (in_segment0_upper_half(magnitude) || in_segment5_slip(magnitude)) {
            ADD_FAILURE() << "expected G.711 to differ from the formula at x = " << x;
        }
        // The G.711 step of a code: its level ± half the step width (2^(e+7) internally), the
        // first code of segment 0 from 0 and the last code of segment 7 up to any magnitude.
        const int inverted = ~ours & 0xFF;
        const int e = (inverted >> 4) & 7;
        const std::int64_t level = std::abs(Expand<RawUlaw>(ours));
        const std::int64_t half = std::int64_t{1} << (e + 6);
        const std::int64_t truncated = (magnitude >> 4) << 4;  // the coder sees |x| >> 4
        const bool first = inverted == 0 || inverted == 0x80;
        const bool last = (inverted & 0x7F) == 0x7F;
        if ((!first && truncated < level - half) || (!last && truncated >= level + half)) {
            if (++outside_step <= 5) {
                ADD_FAILURE() << "x = " << x << " outside the step of code " << int{ours};
            }
        }
        // Negative samples get the mirror code.
        if ((x < 0) != ((inverted & 0x80) != 0) && magnitude >= 16) {
            ADD_FAILURE() << "sign of x = " << x;
        }
    });
    EXPECT_EQ(unexplained, 0);
    EXPECT_EQ(outside_step, 0);
    // 15 upper half steps of 4 magnitudes × 16 samples, and 16 slips of 64 samples, per sign.
    EXPECT_EQ(segment0, 2 * 15 * 4 * 16);
    EXPECT_EQ(segment5, 2 * 16 * 64);
}

TEST(RawSampleCodings, PcmEncodingsRoundWrapAndClamp) {
    struct Case {
        Sample x;
        std::uint16_t pcm16;  // the low 16 bits of (x + 8) >> 4
        std::uint8_t u8, s8;
    };
    const Case cases[] = {
        {0, 0x0000, 0x80, 0x00},
        {7, 0x0000, 0x80, 0x00},
        {8, 0x0001, 0x80, 0x00},
        {-9, 0xFFFF, 0x80, 0x00},
        {2047, 0x0080, 0x80, 0x00},
        {2048, 0x0080, 0x81, 0x01},
        {-2049, 0xFF80, 0x7F, 0xFF},
        // Full scale rounds up to 8-bit step 128: held at 127 instead of wrapping to -128.
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
    // Decoding: byte order and the 8-bit offsets.
    const std::uint8_t word[2] = {0x12, 0x80};
    EXPECT_EQ(RawPcm16LE::Decode(word), -0x7FEE * 16);
    EXPECT_EQ(RawPcm16BE::Decode(word), 0x1280 * 16);
    EXPECT_EQ(Expand<RawPcm8Unsigned>(0x00), -128 * 4096);
    EXPECT_EQ(Expand<RawPcm8Unsigned>(0xFF), 127 * 4096);
    EXPECT_EQ(Expand<RawPcm8Signed>(0x80), -128 * 4096);
    EXPECT_EQ(Expand<RawPcm8Signed>(0x7F), 127 * 4096);
}

// ---- The reader.

class RawFileTest : public ::testing::Test {
  protected:
    std::string Write(const std::vector<std::uint8_t>& bytes, const std::string& name = "a.raw") {
        const std::string path = scratch_.File(name);
        Bytes().Append(bytes).WriteTo(path);
        return path;
    }

    // `count` 16-bit little-endian samples counting up from 1.
    static std::vector<std::uint8_t> Counting16(int count) {
        Bytes bytes;
        for (int i = 1; i <= count; ++i) {
            bytes.U8(static_cast<std::uint32_t>(i)).U8(static_cast<std::uint32_t>(i) >> 8);
        }
        return bytes.Get();
    }

    static std::vector<Sample> Counting(int first, int last) {
        std::vector<Sample> samples;
        for (int i = first; i <= last; ++i) {
            samples.push_back(i * 16);
        }
        return samples;
    }

    testing::ScratchFolder scratch_;
};

TEST_F(RawFileTest, ReadsSilenceBeforeTheStartAndPastTheEndAndDropsAPartialFrame) {
    // 5 stereo frames and 3 bytes of a sixth.
    std::vector<std::uint8_t> bytes = Counting16(10);
    bytes.insert(bytes.end(), {0x55, 0x55, 0x55});
    LSoundSourceRef source = OpenRawSource(Write(bytes), RawEncoding::kPcm16LE, 8000, 2);
    ASSERT_FALSE(source->IsError());
    EXPECT_EQ(source->GetLength(), 5);
    EXPECT_EQ(source->GetMaxSample(), FULL_SCALE);

    source->Seek(-2);
    std::vector<Sample> expected = {0, 0, 0, 0};
    for (Sample s : Counting(1, 10)) {
        expected.push_back(s);
    }
    expected.insert(expected.end(), 6, 0);
    EXPECT_EQ(ReadFrames(*source, 10), expected);
    EXPECT_EQ(source->GetPosition(), 8);

    // Entirely outside: silence, and the position still moves by the whole count.
    source->Seek(-50);
    EXPECT_EQ(ReadFrames(*source, 20), std::vector<Sample>(40, 0));
    EXPECT_EQ(source->GetPosition(), -30);
    source->Seek(kMax - 2);
    EXPECT_EQ(ReadFrames(*source, 5), std::vector<Sample>(10, 0));
    EXPECT_EQ(source->GetPosition(), kMax);

    source->Seek(3);
    EXPECT_EQ(ReadFrames(*source, 1), (std::vector<Sample>{7 * 16, 8 * 16}));
}

TEST_F(RawFileTest, PiecesAcrossTheBufferSizeReadAsOneRead) {
    // 8192 frames is the reader's buffer; read across it in odd pieces.
    const int frames = 2 * 8192 + 77;
    LSoundSourceRef source =
        OpenRawSource(Write(Counting16(frames)), RawEncoding::kPcm16LE, 44100, 1);
    ASSERT_EQ(source->GetLength(), frames);
    const std::vector<Sample> whole = ReadFrames(*source, frames + 3);
    std::vector<Sample> expected = Counting(1, frames);
    expected.insert(expected.end(), 3, 0);
    EXPECT_EQ(whole, expected);
    source->Seek(0);
    std::vector<Sample> pieces;
    for (std::int32_t piece : {1, 8190, 3, 5000, 3000, 270}) {  // frames + 3 in all
        std::vector<Sample> part = ReadFrames(*source, piece);
        pieces.insert(pieces.end(), part.begin(), part.end());
    }
    EXPECT_EQ(pieces, whole);
}

TEST_F(RawFileTest, LengthFollowsTheFileAsItGrows) {
    const std::string path = Write(Counting16(4));
    LSoundSourceRef source = OpenRawSource(path, RawEncoding::kPcm16BE, 8000, 1);
    EXPECT_EQ(source->GetLength(), 4);
    {
        std::ofstream more(path, std::ios::binary | std::ios::app);
        more.write("\x01\x02\x03\x04\x05", 5);
    }
    EXPECT_EQ(source->GetLength(), 6);
    source->Seek(4);
    EXPECT_EQ(ReadFrames(*source, 3), (std::vector<Sample>{0x0102 * 16, 0x0304 * 16, 0}));
}

TEST_F(RawFileTest, EveryDialogEncodingWritesAndReadsBack) {
    const char* const names[kRawEncodingCount] = {
        "Dialogic ADPCM", "G711 uLaw",    "G711 aLaw",      "16 bit PCM (LE)",
        "8 bit unsigned", "8 bit signed", "16 bit PCM (BE)"};
    // A tone at half scale; in stereo its mirror on the right channel.
    std::vector<Sample> mono, stereo;
    for (int f = 0; f < 3000; ++f) {
        const auto v = static_cast<Sample>(std::lround(0x40000 * std::sin(f * 0.05)));
        mono.push_back(v);
        stereo.push_back(v);
        stereo.push_back(-v);
    }
    for (int e = 0; e < kRawEncodingCount; ++e) {
        const auto encoding = static_cast<RawEncoding>(e);
        SCOPED_TRACE(names[e]);
        EXPECT_STREQ(RawEncodingName(encoding), names[e]);
        const int channels = encoding == RawEncoding::kDialogicAdpcm ? 1 : 2;
        const std::vector<Sample>& written = channels == 1 ? mono : stereo;
        const std::string path = scratch_.File("enc" + std::to_string(e));
        {
            LSoundSinkRef sink = OpenRawSink(path, encoding, 11025, 2);
            ASSERT_FALSE(sink->IsError());
            EXPECT_EQ(sink->GetChannels(), channels);
            sink->Write(written.data(), 3000);
        }
        LSoundSourceRef source = OpenRawSource(path, encoding, 11025, channels);
        ASSERT_FALSE(source->IsError());
        EXPECT_EQ(source->GetSampleRate(), 11025);
        EXPECT_EQ(source->GetChannels(), channels);
        ASSERT_EQ(source->GetLength(), 3000);
        const std::vector<Sample> back = ReadFrames(*source, source->GetLength());
        // How far a sample may land from what was written: half a step of the coding, except
        // ADPCM, which is measured by its error energy.
        double worst = 0, noise = 0, signal = 0;
        for (std::size_t i = 0; i < back.size(); ++i) {
            const double error = back[i] - written[i];
            worst = std::max(worst, std::abs(error));
            noise += error * error;
            signal += static_cast<double>(written[i]) * written[i];
        }
        switch (encoding) {
            case RawEncoding::kPcm16LE:
            case RawEncoding::kPcm16BE:
                EXPECT_LE(worst, 8);
                break;
            case RawEncoding::kPcm8Unsigned:
            case RawEncoding::kPcm8Signed:
                EXPECT_LE(worst, 2048);
                break;
            case RawEncoding::kUlaw:
            case RawEncoding::kAlaw:
                EXPECT_LE(worst, 8192 + 16);  // half the widest step used, plus the 16-bit cut
                EXPECT_EQ(source->GetMaxSample(), 0x7E000);
                break;
            case RawEncoding::kDialogicAdpcm:
                EXPECT_GT(10 * std::log10(signal / noise), 20.0);
                break;
        }
    }
}

TEST_F(RawFileTest, AMissingFileOrBadLayoutGivesAnErrorSource) {
    for (int e = 0; e < kRawEncodingCount; ++e) {
        LSoundSourceRef missing =
            OpenRawSource(scratch_.File("none.raw"), static_cast<RawEncoding>(e), 8000, 1);
        EXPECT_TRUE(missing->IsError());
        EXPECT_EQ(missing->GetLength(), 0);
    }
    const std::string path = Write(Counting16(4));
    EXPECT_TRUE(OpenRawSource(path, RawEncoding::kPcm16LE, 0, 1)->IsError());
    EXPECT_TRUE(OpenRawSource(path, RawEncoding::kPcm16LE, 8000, 0)->IsError());
    EXPECT_TRUE(OpenRawSource(path, RawEncoding::kDialogicAdpcm, -5, 1)->IsError());
}

// ---- The writer.

// A header callback that records its calls and writes `size` bytes of 0xEE.
struct RecordedHeader {
    RawHeaderInfo info;
    bool final;
    std::int64_t at;
};
std::vector<RecordedHeader> recorded_headers;

std::int64_t RecordingHeader(LFile& file, const RawHeaderInfo& info, bool final) {
    recorded_headers.push_back({info, final, file.Tell()});
    const std::vector<std::uint8_t> bytes(10, 0xEE);
    return file.Write(bytes.data(), bytes.size()) == bytes.size() ? 10 : -1;
}

TEST_F(RawFileTest, HeaderIsWrittenFirstAndAgainWithTheCountsAtTheEnd) {
    recorded_headers.clear();
    const std::string path = scratch_.File("h.raw");
    {
        LRawFileDataSoundSink<RawPcm16BE> sink(path, 22050, 2, &RecordingHeader);
        ASSERT_EQ(recorded_headers.size(), 1u);
        const Sample frames[] = {16, 32, 48, 64, -16, -32};
        sink.Write(frames, 3);
        EXPECT_EQ(recorded_headers.size(), 1u);
    }
    ASSERT_EQ(recorded_headers.size(), 2u);
    EXPECT_FALSE(recorded_headers[0].final);
    EXPECT_EQ(recorded_headers[0].info.frames, 0);
    EXPECT_TRUE(recorded_headers[1].final);
    EXPECT_EQ(recorded_headers[1].at, 0);
    EXPECT_EQ(recorded_headers[1].info.frames, 3);
    EXPECT_EQ(recorded_headers[1].info.sample_rate, 22050);
    EXPECT_EQ(recorded_headers[1].info.channels, 2);
    EXPECT_EQ(recorded_headers[1].info.DataBytes(), 12u);
    std::vector<std::uint8_t> expected(10, 0xEE);
    expected.insert(expected.end(), {0, 1, 0, 2, 0, 3, 0, 4, 0xFF, 0xFF, 0xFF, 0xFE});
    EXPECT_EQ(FileBytes(path), expected);
}

TEST_F(RawFileTest, TruncateCutsBackwardsOnlyAndWritingGoesOnFromThere) {
    recorded_headers.clear();
    const std::string path = scratch_.File("t.raw");
    {
        LRawFileDataSoundSink<RawPcm8Signed> sink(path, 8000, 1, &RecordingHeader);
        std::vector<Sample> ten;
        for (int i = 1; i <= 10; ++i) {
            ten.push_back(i * 4096);
        }
        sink.Write(ten.data(), 10);
        sink.Truncate(12);  // forward: ignored
        EXPECT_EQ(sink.GetFramesWritten(), 10);
        sink.Truncate(4);
        EXPECT_EQ(sink.GetFramesWritten(), 4);
        EXPECT_EQ(FileBytes(path).size(), 10u + 4u);
        const Sample two[] = {-4096, -8192};
        sink.Write(two, 2);
        EXPECT_EQ(sink.GetFramesWritten(), 6);
    }
    std::vector<std::uint8_t> expected(10, 0xEE);
    expected.insert(expected.end(), {1, 2, 3, 4, 0xFF, 0xFE});
    EXPECT_EQ(FileBytes(path), expected);
    EXPECT_EQ(recorded_headers.back().info.frames, 6);

    // A negative count cuts everything after the header.
    {
        LRawFileDataSoundSink<RawPcm8Signed> sink(path, 8000, 1, &RecordingHeader);
        const Sample one[] = {4096};
        sink.Write(one, 1);
        sink.Truncate(-7);
        EXPECT_EQ(sink.GetFramesWritten(), 0);
    }
    EXPECT_EQ(FileBytes(path), std::vector<std::uint8_t>(10, 0xEE));
}

TEST_F(RawFileTest, AWriteLargerThanTheBufferIsWrittenWhole) {
    const std::string path = scratch_.File("big.raw");
    std::vector<Sample> samples(2 * 20000);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<Sample>(i % 30000) * 16;
    }
    {
        LSoundSinkRef sink = OpenRawSink(path, RawEncoding::kPcm16LE, 8000, 2);
        sink->Write(samples.data(), 20000);
    }
    LSoundSourceRef source = OpenRawSource(path, RawEncoding::kPcm16LE, 8000, 2);
    ASSERT_EQ(source->GetLength(), 20000);
    EXPECT_EQ(ReadFrames(*source, 20000), samples);
}

TEST_F(RawFileTest, AFileThatCannotBeCreatedLeavesTheSinkInError) {
    const std::string path = scratch_.File("no/such/folder.raw");
    for (int e = 0; e < kRawEncodingCount; ++e) {
        LSoundSinkRef sink = OpenRawSink(path, static_cast<RawEncoding>(e), 8000, 1);
        ASSERT_TRUE(sink);
        EXPECT_TRUE(sink->IsError());
        const Sample one[] = {1234};
        sink->Write(one, 1);
        sink->Truncate(0);
    }
    EXPECT_TRUE(FileBytes(path).empty());
}

}  // namespace
}  // namespace sonvara
