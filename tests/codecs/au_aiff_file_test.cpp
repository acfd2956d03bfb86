// Sun AU and AIFF files: header parsing (good, unusual and damaged headers), data sizes limited
// to the file, the 80-bit rate, and the headers our writers leave.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "codecs/aiff_file.h"
#include "codecs/au_file.h"
#include "tests/codecs/format_test_util.h"
#include "tests/support/captured_diagnostics.h"
#include "tests/support/scratch_folder.h"

namespace sonvara {
namespace {

using testing::Bytes;
using testing::FileBytes;
using testing::ReadFrames;
using testing::ReadWhole;

constexpr std::uint32_t kToEnd = 0xFFFFFFFF;

// 16-bit big-endian samples 1, 2, …, count (× step).
std::vector<std::uint8_t> Words(int count, int step = 1) {
    Bytes bytes;
    for (int i = 1; i <= count; ++i) {
        bytes.BE16(static_cast<std::uint32_t>(i * step));
    }
    return bytes.Get();
}

std::vector<std::uint8_t> Prefix(const std::vector<std::uint8_t>& bytes, std::size_t count) {
    return {bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(count)};
}

std::vector<std::uint8_t> Suffix(const std::vector<std::uint8_t>& bytes, std::size_t from) {
    return {bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.end()};
}

std::vector<Sample> Scaled(int count, int step = 1) {
    std::vector<Sample> samples;
    for (int i = 1; i <= count; ++i) {
        samples.push_back(i * step * 16);
    }
    return samples;
}

class FileFormatTest : public ::testing::Test {
  protected:
    std::string Put(const Bytes& bytes) {
        const std::string path = scratch_.File("f" + std::to_string(++count_));
        bytes.WriteTo(path);
        return path;
    }

    testing::ScratchFolder scratch_;
    int count_ = 0;
};

// ---- AU

Bytes AuHeader(std::uint32_t offset, std::uint32_t size, std::uint32_t encoding,
               std::uint32_t rate = 8000, std::uint32_t channels = 1) {
    Bytes bytes;
    bytes.Text(".snd").BE32(offset).BE32(size).BE32(encoding).BE32(rate).BE32(channels);
    return bytes;
}

using AuFileTest = FileFormatTest;

TEST_F(AuFileTest, ReadsEachEncodingAfterItsAnnotation) {
    // A data offset of 32: 8 bytes of annotation after the header.
    LSoundSourceRef pcm16 = LAuFile::OpenSource(
        Put(AuHeader(32, 12, 3, 11025, 2).Text("comment").U8(0).Append(Words(6))));
    ASSERT_FALSE(pcm16->IsError());
    EXPECT_EQ(pcm16->GetSampleRate(), 11025);
    EXPECT_EQ(pcm16->GetChannels(), 2);
    EXPECT_EQ(pcm16->GetLength(), 3);
    EXPECT_EQ(ReadWhole(*pcm16), Scaled(6));

    const std::vector<std::uint8_t> codes = {0x00, 0x7F, 0x80, 0xFF, 0x55, 0xD5};
    struct Case {
        std::uint32_t encoding;
        std::vector<Sample> samples;
    };
    const Case cases[] = {
        {1, {-513984, 0, 513984, 0, -716 * 16, 716 * 16}},                // µ-law
        {2, {0, 127 * 4096, -128 * 4096, -4096, 85 * 4096, -43 * 4096}},  // signed 8-bit
        {27, {-88064, -13568, 88064, 13568, -128, 128}},                  // A-law
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.encoding);
        LSoundSourceRef source =
            LAuFile::OpenSource(Put(AuHeader(24, kToEnd, c.encoding).Append(codes)));
        ASSERT_FALSE(source->IsError());
        EXPECT_EQ(ReadWhole(*source), c.samples);
    }
}

TEST_F(AuFileTest, DataSizeIsLimitedToTheFileAndMayEndBeforeIt) {
    struct Case {
        const char* name;
        std::uint32_t size;
        std::int32_t frames;
    };
    // 10 frames of data in the file, then 3 stray bytes.
    const Case cases[] = {
        {"to the end", kToEnd, 11},  // 23 bytes: 11 whole frames
        {"promises far more", 0x7FFFFFF0, 11},
        {"one byte more than held", 24, 11},
        {"ends before the file", 14, 7},  // the rest is not data
        {"empty", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LSoundSourceRef source = LAuFile::OpenSource(
            Put(AuHeader(24, c.size, 3).Append(Words(10)).Append({0xAA, 0xBB, 0xCC})));
        ASSERT_FALSE(source->IsError());
        EXPECT_EQ(source->GetLength(), c.frames);
        const std::vector<Sample> samples = ReadFrames(*source, c.frames + 2);
        EXPECT_EQ(samples[static_cast<std::size_t>(c.frames)], 0);
        EXPECT_EQ(samples[static_cast<std::size_t>(c.frames) + 1], 0);
    }
    // An offset past the end of the file: no data, not an error.
    LSoundSourceRef beyond = LAuFile::OpenSource(Put(AuHeader(4000, 100, 3).Append(Words(4))));
    EXPECT_FALSE(beyond->IsError());
    EXPECT_EQ(beyond->GetLength(), 0);
}

TEST_F(AuFileTest, RefusesWhatIsNotAnAuFileItReads) {
    struct Case {
        const char* name;
        Bytes bytes;
    };
    const Case cases[] = {
        {"23 bytes", Bytes().Append(Prefix(AuHeader(24, 0, 3).Get(), 23))},
        {"magic",
         Bytes().Text(".snD").Append(Suffix(AuHeader(24, 0, 3).Get(), 4)).Append(Words(8))},
        {"24-bit linear", AuHeader(24, kToEnd, 4).Append(Words(8))},
        {"float", AuHeader(24, kToEnd, 6).Append(Words(8))},
        {"encoding 0", AuHeader(24, kToEnd, 0).Append(Words(8))},
        {"offset inside the header", AuHeader(20, kToEnd, 3).Append(Words(8))},
        {"rate 0", AuHeader(24, kToEnd, 3, 0).Append(Words(8))},
        {"negative rate", AuHeader(24, kToEnd, 3, 0x80000000).Append(Words(8))},
        {"no channels", AuHeader(24, kToEnd, 3, 8000, 0).Append(Words(8))},
        {"256 channels", AuHeader(24, kToEnd, 3, 8000, 256).Append(Words(8))},
        {"huge channel count", AuHeader(24, kToEnd, 3, 8000, 0x40000000).Append(Words(8))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LSoundSourceRef source = LAuFile::OpenSource(Put(c.bytes));
        EXPECT_TRUE(source->IsError());
        EXPECT_EQ(source->GetLength(), 0);
    }
    EXPECT_TRUE(LAuFile::OpenSource(scratch_.File("missing.au"))->IsError());
}

TEST_F(AuFileTest, WriterLeavesAnOpenSizeUntilItEndsThenTheDataSize) {
    const std::string path = scratch_.File("w.au");
    const std::vector<Sample> samples = {16, -16, 0x7FFF0, -0x7FFF0, 160, 320};
    {
        LSoundSinkRef sink = LAuFile::OpenSink(path, 44100, 2);
        ASSERT_FALSE(sink->IsError());
        sink->Write(samples.data(), 3);
        // An interrupted writer leaves a file that reads to its end.
        EXPECT_EQ(FileBytes(path),
                  AuHeader(24, kToEnd, 3, 44100, 2)
                      .Append({0, 1, 0xFF, 0xFF, 0x7F, 0xFF, 0x80, 0x01, 0, 10, 0, 20})
                      .Get());
        LSoundSourceRef meanwhile = LAuFile::OpenSource(path);
        EXPECT_EQ(meanwhile->GetLength(), 3);
        sink->Truncate(2);
    }
    EXPECT_EQ(
        FileBytes(path),
        AuHeader(24, 8, 3, 44100, 2).Append({0, 1, 0xFF, 0xFF, 0x7F, 0xFF, 0x80, 0x01}).Get());
    LSoundSourceRef source = LAuFile::OpenSource(path);
    EXPECT_EQ(ReadWhole(*source), std::vector<Sample>(samples.begin(), samples.begin() + 4));
}

// ---- AIFF

std::vector<std::uint8_t> Comm(int channels, std::uint32_t frames, int bits, std::int32_t rate) {
    Bytes bytes;
    bytes.BE16(static_cast<std::uint32_t>(channels))
        .BE32(frames)
        .BE16(static_cast<std::uint32_t>(bits));
    const std::array<std::uint8_t, 10> rate_bytes = AiffRateBytes(rate);
    return bytes.Append({rate_bytes.begin(), rate_bytes.end()}).Get();
}

std::vector<std::uint8_t> Ssnd(const std::vector<std::uint8_t>& data) {
    return Bytes().BE32(0).BE32(0).Append(data).Get();
}

Bytes Form(const char* type = "AIFF") {
    return Bytes().Text("FORM").BE32(0).Text(type);
}

using AiffFileTest = FileFormatTest;

TEST_F(AiffFileTest, RateBytesAndTheirReading) {
    const std::array<std::uint8_t, 10> cd = {0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(AiffRateBytes(44100), cd);
    for (std::int32_t rate :
         {2, 3, 4000, 8000, 11025, 22050, 32000, 44100, 48000, 96000, 192000, 0x7FFFFFFF}) {
        SCOPED_TRACE(rate);
        const std::array<std::uint8_t, 10> bytes = AiffRateBytes(rate);
        // As described: 0x40, floor(log2 rate) - 1, the rate shifted up to its top bit, zeros.
        const int log2 = 31 - std::countl_zero(static_cast<std::uint32_t>(rate));
        EXPECT_EQ(bytes[0], 0x40);
        EXPECT_EQ(bytes[1], log2 - 1);
        const std::uint32_t mantissa = static_cast<std::uint32_t>(rate) << (31 - log2);
        EXPECT_EQ(bytes[2], mantissa >> 24);
        EXPECT_EQ(bytes[5], mantissa & 0xFF);
        EXPECT_EQ(AiffRateFromBytes(bytes.data()), rate);
    }
    // 1 Hz is 2^0: the exponent is the bias itself.
    EXPECT_EQ(AiffRateBytes(1),
              (std::array<std::uint8_t, 10>{0x3F, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(AiffRateFromBytes(AiffRateBytes(1).data()), 1);

    // Fractions round to the nearest hertz, a half upwards: 8000.5 and 8000.25.
    std::uint8_t half[10] = {0x40, 0x0B, 0xFA, 0x04, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(AiffRateFromBytes(half), 8001);
    std::uint8_t quarter[10] = {0x40, 0x0B, 0xFA, 0x02, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(AiffRateFromBytes(quarter), 8000);
    // 0.5 Hz rounds to 1; no rate at 0.25 Hz, 2^31 Hz, a negative rate or a huge exponent.
    std::uint8_t tiny[10] = {0x3F, 0xFE, 0x80, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(AiffRateFromBytes(tiny), 1);
    tiny[1] = 0xFD;
    EXPECT_EQ(AiffRateFromBytes(tiny), std::nullopt);
    std::uint8_t big[10] = {0x40, 0x1E, 0x80, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(AiffRateFromBytes(big), std::nullopt);
    std::uint8_t negative[10] = {0xC0, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(AiffRateFromBytes(negative), std::nullopt);
    std::uint8_t huge[10] = {0x7F, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(AiffRateFromBytes(huge), std::nullopt);
}

TEST_F(AiffFileTest, FindsItsChunksPastOthersInEitherOrder) {
    struct Case {
        const char* name;
        Bytes bytes;
    };
    const std::vector<std::uint8_t> comm = Comm(2, 3, 16, 22050);
    const std::vector<std::uint8_t> sound = Ssnd(Words(6));
    const Case cases[] = {
        // A text chunk of odd size (with its pad byte) before "COMM".
        {"odd text first",
         Form().Chunk("NAME", {'o', 'd', 'd'}).Chunk("COMM", comm).Chunk("SSND", sound)},
        {"chunks between", Form()
                               .Chunk("COMM", comm)
                               .Chunk("ANNO", std::vector<std::uint8_t>(9, 'x'))
                               .Chunk("SSND", sound)},
        {"sound first", Form().Chunk("SSND", sound).Chunk("COMM", comm)},
        {"longer COMM",
         Form().Chunk("COMM", Bytes().Append(comm).Text("NONE").Get()).Chunk("SSND", sound)},
        {"second COMM ignored",
         Form().Chunk("COMM", comm).Chunk("COMM", Comm(1, 3, 8, 8000)).Chunk("SSND", sound)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LSoundSourceRef source = LAifFile::OpenSource(Put(c.bytes));
        ASSERT_FALSE(source->IsError());
        EXPECT_EQ(source->GetSampleRate(), 22050);
        EXPECT_EQ(source->GetChannels(), 2);
        EXPECT_EQ(source->GetLength(), 3);
        EXPECT_EQ(ReadWhole(*source), Scaled(6));
    }
}

TEST_F(AiffFileTest, SampleSizesChooseTheReader) {
    // 1 to 8 bits: signed bytes; 9 to 16 bits: big-endian words (12-bit samples sit in the top
    // bits of theirs).
    const std::vector<std::uint8_t> data = {0x80, 0x7F, 0x12, 0x30};
    for (int bits : {1, 8, 9, 12, 16}) {
        SCOPED_TRACE(bits);
        LSoundSourceRef source = LAifFile::OpenSource(
            Put(Form().Chunk("COMM", Comm(1, 4, bits, 8000)).Chunk("SSND", Ssnd(data))));
        ASSERT_FALSE(source->IsError());
        if (bits <= 8) {
            EXPECT_EQ(ReadWhole(*source),
                      (std::vector<Sample>{-128 * 4096, 127 * 4096, 0x12 * 4096, 0x30 * 4096}));
        } else {
            EXPECT_EQ(ReadWhole(*source), (std::vector<Sample>{-0x7F81 * 16, 0x1230 * 16}));
        }
    }
    testing::CapturedDiagnostics diagnostics;
    for (int bits : {17, 24, 32}) {
        EXPECT_TRUE(LAifFile::OpenSource(
                        Put(Form().Chunk("COMM", Comm(1, 4, bits, 8000)).Chunk("SSND", Ssnd(data))))
                        ->IsError());
    }
    EXPECT_TRUE(diagnostics.Contains("LAifFile::OpenSource Does not yet support 32 bit samples"));
}

TEST_F(AiffFileTest, SoundSizeIsLimitedToTheFile) {
    struct Case {
        const char* name;
        std::uint32_t size;  // of the "SSND" chunk
        std::int32_t frames;
    };
    const Case cases[] = {
        {"exact", 8 + 20, 10},
        {"short of the file", 8 + 7, 3},
        {"an interrupted writer", 0xFFFFFFFF, 10},
        {"promises more", 8 + 1000, 10},
        {"too small for its words", 5, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes bytes = Form().Chunk("COMM", Comm(1, 10, 16, 8000));
        bytes.Text("SSND").BE32(c.size).Append(Ssnd(Words(10)));
        LSoundSourceRef source = LAifFile::OpenSource(Put(bytes));
        ASSERT_FALSE(source->IsError());
        EXPECT_EQ(source->GetLength(), c.frames);
        std::vector<Sample> expected = Scaled(c.frames);
        expected.push_back(0);
        source->Seek(0);
        EXPECT_EQ(ReadFrames(*source, c.frames + 1), expected);
    }
}

TEST_F(AiffFileTest, RefusesDamagedOrForeignFiles) {
    const std::vector<std::uint8_t> comm = Comm(1, 4, 16, 8000);
    const std::vector<std::uint8_t> sound = Ssnd(Words(4));
    testing::CapturedDiagnostics diagnostics;
    struct Case {
        const char* name;
        Bytes bytes;
        const char* diagnostic;
    };
    const Case cases[] = {
        {"AIFC", Form("AIFC").Chunk("COMM", comm).Chunk("SSND", sound), nullptr},
        {"RIFF", Bytes().Text("RIFF").BE32(0).Text("AIFF").Chunk("COMM", comm), nullptr},
        {"11 bytes", Bytes().Text("FORM").BE32(0).Text("AIF"), nullptr},
        {"no COMM", Form().Chunk("SSND", sound), nullptr},
        {"no SSND", Form().Chunk("COMM", comm).Chunk("NAME", {'x', 'y'}), nullptr},
        {"COMM cut short",
         Form().Chunk("COMM", std::vector<std::uint8_t>(comm.begin(), comm.end() - 1)),
         "COMM header does not contain 18 bytes"},
        {"file ends in COMM",
         Form().Text("COMM").BE32(18).Append(
             std::vector<std::uint8_t>(comm.begin(), comm.begin() + 10)),
         "COMM header does not contain 18 bytes"},
        {"negative chunk size",
         Form().Text("JUNK").BE32(0x80000000).Chunk("COMM", comm).Chunk("SSND", sound),
         "AIFFFindChunk pChunk->ckSize < 0"},
        {"SSND without its words", Form().Chunk("COMM", comm).Text("SSND").BE32(8).BE32(0),
         nullptr},
        {"no channels", Form().Chunk("COMM", Comm(0, 4, 16, 8000)).Chunk("SSND", sound), nullptr},
        {"rate 0",
         Form()
             .Chunk("COMM",
                    [&] {
                        std::vector<std::uint8_t> zero = comm;
                        std::fill(zero.begin() + 8, zero.end(), 0);
                        return zero;
                    }())
             .Chunk("SSND", sound),
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LSoundSourceRef source = LAifFile::OpenSource(Put(c.bytes));
        EXPECT_TRUE(source->IsError());
        if (c.diagnostic != nullptr) {
            EXPECT_TRUE(diagnostics.Contains(c.diagnostic));
        }
    }
}

TEST_F(AiffFileTest, WriterHeaderHoldsTheCountsAtTheEnd) {
    const std::string path = scratch_.File("w.aiff");
    const std::vector<Sample> samples = {16, 32, 48, 64, -16, -32, 160, 320};
    const std::vector<std::uint8_t> rate = {0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0};
    auto header = [&](std::uint32_t form, std::uint32_t frames, std::uint32_t sound) {
        return Bytes()
            .Text("FORM")
            .BE32(form)
            .Text("AIFFCOMM")
            .BE32(18)
            .BE16(2)
            .BE32(frames)
            .BE16(16)
            .Append(rate)
            .Text("SSND")
            .BE32(sound)
            .BE32(0)
            .BE32(0);
    };
    {
        LSoundSinkRef sink = LAifFile::OpenSink(path, 44100, 2);
        ASSERT_FALSE(sink->IsError());
        sink->Write(samples.data(), 4);
        EXPECT_EQ(FileBytes(path), header(46, 0, kToEnd)
                                       .Append(Words(4))
                                       .Append({0xFF, 0xFF, 0xFF, 0xFE, 0, 10, 0, 20})
                                       .Get());
        // A file whose writer never ended reads to its end.
        EXPECT_EQ(LAifFile::OpenSource(path)->GetLength(), 4);
        sink->Truncate(3);
    }
    const std::vector<std::uint8_t> written = FileBytes(path);
    EXPECT_EQ(written,
              header(46 + 12, 3, 8 + 12).Append(Words(4)).Append({0xFF, 0xFF, 0xFF, 0xFE}).Get());
    EXPECT_EQ(written.size(), static_cast<std::size_t>(LAifFile::kHeaderBytes) + 12);
    LSoundSourceRef source = LAifFile::OpenSource(path);
    EXPECT_EQ(source->GetSampleRate(), 44100);
    EXPECT_EQ(ReadWhole(*source), std::vector<Sample>(samples.begin(), samples.begin() + 6));
}

}  // namespace
}  // namespace sonvara
