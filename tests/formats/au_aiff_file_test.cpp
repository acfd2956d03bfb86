// Sun AU and AIFF files: good, unusual and damaged headers, data sizes limited to the file, the
// 80-bit rate, and the headers our writers leave while writing and at the end.

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/byte_order.h"
#include "formats/aiff_file.h"
#include "formats/au_file.h"
#include "tests/formats/format_test_util.h"
#include "tests/support/captured_diagnostics.h"
#include "tests/support/scratch_folder.h"

namespace sonvara {
namespace {

using testing::Bytes;
using testing::FileBytes;
using testing::ReadFrames;
using testing::ReadWhole;

constexpr std::uint32_t kToEnd = 0xFFFFFFFF;

// 16-bit big-endian samples 1, 2, …, count, and what they read as.
std::vector<std::uint8_t> Words(int count) {
    Bytes bytes;
    for (int i = 1; i <= count; ++i) {
        bytes.BE16(static_cast<std::uint32_t>(i));
    }
    return bytes.Get();
}

std::vector<Sample> Counting(int count) {
    std::vector<Sample> samples;
    for (int i = 1; i <= count; ++i) {
        samples.push_back(i * 16);
    }
    return samples;
}

Bytes Au(std::uint32_t offset, std::uint32_t size, std::uint32_t encoding,
         std::uint32_t rate = 8000, std::uint32_t channels = 1) {
    return Bytes().Text(".snd").BE32(offset).BE32(size).BE32(encoding).BE32(rate).BE32(channels);
}

std::vector<std::uint8_t> Comm(int channels, int bits, std::int32_t rate = 8000) {
    const std::array<std::uint8_t, 10> rate_bytes = AiffRateBytes(rate);
    return Bytes()
        .BE16(static_cast<std::uint32_t>(channels))
        .BE32(0)
        .BE16(static_cast<std::uint32_t>(bits))
        .Append({rate_bytes.begin(), rate_bytes.end()})
        .Get();
}

std::vector<std::uint8_t> Ssnd(const std::vector<std::uint8_t>& data) {
    return Bytes().BE32(0).BE32(0).Append(data).Get();
}

Bytes Form(const char* type = "AIFF") {
    return Bytes().Text("FORM").BE32(0).Text(type);
}

class FileFormatTest : public ::testing::Test {
  protected:
    std::string Put(const Bytes& bytes) {
        const std::string path = scratch_.File(std::to_string(++files_));
        bytes.WriteTo(path);
        return path;
    }

    testing::ScratchFolder scratch_;
    int files_ = 0;
};

TEST_F(FileFormatTest, AuReadsEachEncodingAfterItsAnnotation) {
    // A data offset of 32: 8 bytes of annotation between the header and the data.
    LSoundSourceRef pcm16 =
        LAuFile::OpenSource(Put(Au(32, 12, 3, 11025, 2).Text("comment").U8(0).Append(Words(6))));
    EXPECT_EQ(pcm16->GetSampleRate(), 11025);
    EXPECT_EQ(pcm16->GetChannels(), 2);
    EXPECT_EQ(ReadWhole(*pcm16), Counting(6));

    const std::vector<std::uint8_t> codes = {0x00, 0x7F, 0x80, 0xFF, 0x55, 0xD5};
    const std::pair<std::uint32_t, std::vector<Sample>> cases[] = {
        {1, {-513984, 0, 513984, 0, -716 * 16, 716 * 16}},                // µ-law
        {2, {0, 127 * 4096, -128 * 4096, -4096, 85 * 4096, -43 * 4096}},  // signed 8-bit
        {27, {-88064, -13568, 88064, 13568, -128, 128}},                  // A-law
    };
    for (const auto& [encoding, samples] : cases) {
        LSoundSourceRef source = LAuFile::OpenSource(Put(Au(24, kToEnd, encoding).Append(codes)));
        EXPECT_EQ(ReadWhole(*source), samples) << encoding;
    }
}

TEST_F(FileFormatTest, DataSizesAreLimitedToTheFile) {
    // 10 frames of data, then 3 stray bytes; the size in the header as each case says.
    struct Case {
        const char* name;
        std::uint32_t size;
        std::int32_t frames;
    };
    const Case cases[] = {{"to the end", kToEnd, 11},
                          {"far more than held", 0x7FFFFFF0, 11},
                          {"ends before the file", 14, 7},
                          {"empty", 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::uint8_t> data = Bytes().Append(Words(10)).Append({1, 2, 3}).Get();
        // AIFF counts the 8 bytes of offset and block size in the "SSND" size.
        const std::uint32_t ssnd = c.size == kToEnd ? kToEnd : c.size + 8;
        const LSoundSourceRef sources[] = {
            LAuFile::OpenSource(Put(Au(24, c.size, 3).Append(data))),
            LAifFile::OpenSource(
                Put(Form().Chunk("COMM", Comm(1, 16)).Text("SSND").BE32(ssnd).Append(Ssnd(data))))};
        for (const LSoundSourceRef& source : sources) {
            ASSERT_FALSE(source->IsError());
            EXPECT_EQ(source->GetLength(), c.frames);
            EXPECT_EQ(ReadFrames(*source, c.frames + 1).back(), 0);
        }
    }
    // An AU data offset past the end: no data, not an error.
    EXPECT_EQ(LAuFile::OpenSource(Put(Au(4000, 100, 3).Append(Words(4))))->GetLength(), 0);
}

TEST_F(FileFormatTest, AuRefusesWhatItDoesNotRead) {
    const std::vector<std::uint8_t> header = Au(24, 0, 3).Get();
    const std::pair<const char*, Bytes> cases[] = {
        {"23 bytes", Bytes().Append({header.begin(), header.end() - 1})},
        {"magic", Bytes().Text(".snD").Append({header.begin() + 4, header.end()})},
        {"24-bit", Au(24, kToEnd, 4)},
        {"offset inside the header", Au(20, kToEnd, 3)},
        {"negative rate", Au(24, kToEnd, 3, 0x80000000)},
        {"256 channels", Au(24, kToEnd, 3, 8000, 256)},
    };
    for (const auto& [name, bytes] : cases) {
        // The 23-byte file has nothing after it; the others have data.
        const bool whole = bytes.Get().size() >= 24;
        const std::string path = Put(whole ? Bytes(bytes).Append(Words(8)) : bytes);
        EXPECT_TRUE(LAuFile::OpenSource(path)->IsError()) << name;
    }
}

TEST_F(FileFormatTest, AiffRateBytesAndTheirReading) {
    EXPECT_EQ(AiffRateBytes(44100),
              (std::array<std::uint8_t, 10>{0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}));
    for (std::int32_t rate : {1, 2, 3, 8000, 11025, 22050, 48000, 96000, 192000, 0x7FFFFFFF}) {
        SCOPED_TRACE(rate);
        const std::array<std::uint8_t, 10> bytes = AiffRateBytes(rate);
        // The layout: 0x40, floor(log2 rate) - 1, the rate shifted up to its top bit, zeros
        // (1 Hz, 2^0, has the bias itself as its exponent: 3F FF).
        const int log2 = std::bit_width(static_cast<std::uint32_t>(rate)) - 1;
        EXPECT_EQ(LoadBE16(bytes.data()), 0x4000 + log2 - 1);
        EXPECT_EQ(LoadBE32(bytes.data() + 2), static_cast<std::uint32_t>(rate) << (31 - log2));
        EXPECT_EQ(AiffRateFromBytes(bytes.data()), rate);
    }
    // 8000.5 Hz rounds up, 8000.25 Hz down, 0.5 Hz to 1; there is no rate in 0.25 Hz, 2^31 Hz
    // or a negative number.
    const std::pair<std::array<std::uint8_t, 10>, std::optional<std::int32_t>> cases[] = {
        {{0x40, 0x0B, 0xFA, 0x04}, 8001},
        {{0x40, 0x0B, 0xFA, 0x02}, 8000},
        {{0x3F, 0xFE, 0x80}, 1},
        {{0x3F, 0xFD, 0x80}, std::nullopt},
        {{0x40, 0x1E, 0x80}, std::nullopt},
        {{0xC0, 0x0E, 0xAC, 0x44}, std::nullopt}};
    for (const auto& [bytes, rate] : cases) {
        EXPECT_EQ(AiffRateFromBytes(bytes.data()), rate);
    }
}

TEST_F(FileFormatTest, AiffFindsItsChunksPastOthers) {
    const std::vector<std::uint8_t> comm = Comm(2, 16, 22050);
    const std::vector<std::uint8_t> sound = Ssnd(Words(6));
    const std::pair<const char*, Bytes> cases[] = {
        // A text chunk of odd size (with its pad byte) before "COMM".
        {"odd text first",
         Form().Chunk("NAME", {'o', 'd', 'd'}).Chunk("COMM", comm).Chunk("SSND", sound)},
        {"sound first, longer COMM",
         Form().Chunk("SSND", sound).Chunk("COMM", Bytes().Append(comm).Text("NONE").Get())},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        LSoundSourceRef source = LAifFile::OpenSource(Put(bytes));
        EXPECT_EQ(source->GetSampleRate(), 22050);
        EXPECT_EQ(source->GetChannels(), 2);
        EXPECT_EQ(ReadWhole(*source), Counting(6));
    }
}

TEST_F(FileFormatTest, AiffSampleSizesAndDamage) {
    // 1 to 8 bits: signed bytes; 9 to 16 bits: big-endian words (12 bits sit in their top).
    const std::vector<std::uint8_t> data = {0x80, 0x7F, 0x12, 0x30};
    const std::vector<Sample> bytes = {-128 * 4096, 127 * 4096, 0x12 * 4096, 0x30 * 4096};
    const std::vector<Sample> words = {-0x7F81 * 16, 0x1230 * 16};
    for (int bits : {1, 8, 9, 16}) {
        LSoundSourceRef source = LAifFile::OpenSource(
            Put(Form().Chunk("COMM", Comm(1, bits)).Chunk("SSND", Ssnd(data))));
        EXPECT_EQ(ReadWhole(*source), bits <= 8 ? bytes : words) << bits;
    }
    const std::vector<std::uint8_t> comm = Comm(1, 16);
    const std::vector<std::uint8_t> sound = Ssnd(data);
    struct Case {
        const char* name;
        Bytes bytes;
        const char* diagnostic;
    };
    const Case cases[] = {
        {"24 bits", Form().Chunk("COMM", Comm(1, 24)).Chunk("SSND", sound),
         "LAifFile::OpenSource Does not yet support 32 bit samples"},
        {"COMM of 17 bytes", Form().Chunk("COMM", {comm.begin(), comm.end() - 1}),
         "COMM header does not contain 18 bytes"},
        {"negative chunk size", Form().Text("JUNK").BE32(0x80000000).Chunk("COMM", comm),
         "AIFFFindChunk pChunk->ckSize < 0"},
        {"AIFC", Form("AIFC").Chunk("COMM", comm).Chunk("SSND", sound), nullptr},
        {"SSND cut in its words", Form().Chunk("COMM", comm).Text("SSND").BE32(8).BE32(0), nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::CapturedDiagnostics diagnostics;
        EXPECT_TRUE(LAifFile::OpenSource(Put(c.bytes))->IsError());
        if (c.diagnostic != nullptr) {
            EXPECT_TRUE(diagnostics.Contains(c.diagnostic));
        }
    }
}

TEST_F(FileFormatTest, WritersSizeTheirHeadersAtTheEnd) {
    const std::vector<Sample> samples = {16, 32, 48, 64, -16, -32, 0x7FFF0, -0x7FFF0};
    const std::vector<std::uint8_t> data = {0, 1, 0, 2, 0, 3, 0, 4, 0xFF, 0xFF, 0xFF, 0xFE};
    auto aiff = [](std::uint32_t form, std::uint32_t frames, std::uint32_t sound) {
        return Bytes()
            .Text("FORM")
            .BE32(form)
            .Text("AIFFCOMM")
            .BE32(18)
            .BE16(2)
            .BE32(frames)
            .BE16(16)
            .Append({0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0})
            .Text("SSND")
            .BE32(sound)
            .BE32(0)
            .BE32(0);
    };
    const std::string au_path = scratch_.File("w.au"), aiff_path = scratch_.File("w.aiff");
    {
        LSoundSinkRef au = LAuFile::OpenSink(au_path, 44100, 2);
        LSoundSinkRef aif = LAifFile::OpenSink(aiff_path, 44100, 2);
        au->Write(samples.data(), 4);
        aif->Write(samples.data(), 4);
        // Until the writers finish, the sizes say "to the end": an interrupted file reads whole.
        const std::vector<std::uint8_t> last = {0x7F, 0xFF, 0x80, 0x01};
        EXPECT_EQ(FileBytes(au_path), Au(24, kToEnd, 3, 44100, 2).Append(data).Append(last).Get());
        EXPECT_EQ(FileBytes(aiff_path), aiff(46, 0, kToEnd).Append(data).Append(last).Get());
        EXPECT_EQ(LAuFile::OpenSource(au_path)->GetLength(), 4);
        EXPECT_EQ(LAifFile::OpenSource(aiff_path)->GetLength(), 4);
        au->Truncate(3);
        aif->Truncate(3);
        ASSERT_TRUE(au->Finish());
        ASSERT_TRUE(aif->Finish());
    }
    EXPECT_EQ(FileBytes(au_path), Au(24, 12, 3, 44100, 2).Append(data).Get());
    EXPECT_EQ(FileBytes(aiff_path), aiff(46 + 12, 3, 8 + 12).Append(data).Get());
    LSoundSourceRef back = LAifFile::OpenSource(aiff_path);
    EXPECT_EQ(back->GetSampleRate(), 44100);
    EXPECT_EQ(ReadWhole(*back), std::vector<Sample>(samples.begin(), samples.begin() + 6));
}

}  // namespace
}  // namespace sonvara
