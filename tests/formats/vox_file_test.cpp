// VOX files: the Dialogic ADPCM codec against a plain second writing of it,
// nibble order and carry-over in the reader and writer, the bound on the predictor, and sox's
// decode of its own VOX file.

#include "formats/vox_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "formats/raw_formats.h"
#include "tests/formats/format_test_util.h"
#include "tests/support/scratch_folder.h"

namespace sonvara {
namespace {

using testing::FileBytes;
using testing::ReadFrames;

// The codec written out plainly, with its own tables and a 64-bit predictor (an overflow in the
// codec under test would show as a difference).
struct PlainVox {
    static constexpr int kStep[49] = {
        16,  17,  19,  21,  23,  25,  28,  31,  34,  37,  41,   45,   50,   55,   60,  66,  73,
        80,  88,  97,  107, 118, 130, 143, 157, 173, 190, 209,  230,  253,  279,  307, 337, 371,
        408, 449, 494, 544, 598, 658, 724, 796, 876, 963, 1060, 1166, 1282, 1411, 1552};
    static constexpr int kAdjust[8] = {-1, -1, -1, -1, 2, 4, 6, 8};

    std::int64_t predictor = 0;
    int index = 0;

    // predictor >> 6, rounding down.
    std::int64_t Leak() const { return predictor >= 0 ? predictor / 64 : -((63 - predictor) / 64); }
    void Apply(int code) {
        const int d = 16 * (2 * (code & 7) + 1);
        predictor += std::int64_t{kStep[index]} * (code >= 8 ? -d : d);
        index += kAdjust[code & 7];
    }
    Sample Decode(int code) {
        index = std::clamp(index, 0, 48);
        predictor -= Leak();
        Apply(code);
        return static_cast<Sample>(predictor);
    }
    int Encode(std::int64_t x) {
        index = std::clamp(index, 0, 48);
        predictor -= Leak();
        std::int64_t q = (x - predictor) / kStep[index];
        int code = q < 0 ? 8 : 0;
        q = std::abs(q);
        for (int bit = 4, level = 132; bit > 0; bit >>= 1, level /= 2) {
            if (q >= level) {
                code |= bit;
                q -= level;
            }
        }
        Apply(code);
        return code;
    }
};

std::vector<Sample> PlainDecode(const std::vector<std::uint8_t>& bytes) {
    PlainVox vox;
    std::vector<Sample> samples;
    for (std::uint8_t b : bytes) {
        samples.push_back(vox.Decode(b >> 4));
        samples.push_back(vox.Decode(b & 15));
    }
    return samples;
}

class VoxFileTest : public ::testing::Test {
  protected:
    std::string Write(const std::vector<std::uint8_t>& bytes) {
        const std::string path = scratch_.File("a.vox");
        testing::Bytes().Append(bytes).WriteTo(path);
        return path;
    }

    testing::ScratchFolder scratch_;
};

TEST_F(VoxFileTest, DecodesLikeThePlainCodecInReadsOfAnySize) {
    // Random codes drive the index to both ends of its table.
    std::mt19937 rng(7);
    std::vector<std::uint8_t> bytes(5001);
    std::generate(bytes.begin(), bytes.end(), [&] { return static_cast<std::uint8_t>(rng()); });
    const std::vector<Sample> expected = PlainDecode(bytes);
    LSRCVOX source(Write(bytes), 6000);
    EXPECT_EQ(source.GetSampleRate(), 6000);
    EXPECT_EQ(source.GetLength(), 2 * 5001);
    // Odd pieces end after a high nibble, so the next read starts with the low one.
    std::vector<Sample> read;
    for (std::int32_t piece = 1; read.size() < expected.size(); piece += 2) {
        const std::vector<Sample> part = ReadFrames(source, piece);
        read.insert(read.end(), part.begin(), part.end());
    }
    read.resize(expected.size());
    EXPECT_EQ(read, expected);
}

TEST_F(VoxFileTest, SilenceAroundTheFileAndSeeksKeepTheState) {
    const std::vector<std::uint8_t> bytes = {0x17, 0x3F, 0x80, 0x5A, 0xC2};
    LSRCVOX source(Write(bytes), 8000);
    source.Seek(-3);
    const std::vector<Sample> start = ReadFrames(source, 6);  // 3 of silence, ends mid-byte
    EXPECT_EQ(source.GetPosition(), 3);
    source.Seek(7);  // an odd sample: the low nibble of byte 3
    const std::vector<Sample> after = ReadFrames(source, 5);
    EXPECT_EQ(source.GetPosition(), 12);

    PlainVox vox;
    const std::vector<Sample> expected_start = {
        0, 0, 0, vox.Decode(1), vox.Decode(7), vox.Decode(3)};
    EXPECT_EQ(start, expected_start);
    const std::vector<Sample> expected_after = {vox.Decode(0xA), vox.Decode(0xC), vox.Decode(2), 0,
                                                0};
    EXPECT_EQ(after, expected_after);
}

TEST_F(VoxFileTest, WriterCodesLikeThePlainCodecAndCarriesAnOpenNibble) {
    // A tone, then jumps between the ends of 32 bits, which no limited signal reaches.
    std::vector<Sample> samples;
    for (int i = 0; i < 3001; ++i) {
        samples.push_back(static_cast<Sample>(std::lround(0x60000 * std::sin(i * 0.031))));
    }
    for (int i = 0; i < 200; ++i) {
        samples.push_back(i % 3 == 0 ? std::numeric_limits<Sample>::max()
                                     : std::numeric_limits<Sample>::min());
    }
    const std::string path = scratch_.File("w.vox");
    {
        LSoundSinkRef sink = OpenRawSink(path, RawEncoding::kDialogicAdpcm, 8000, 2);
        EXPECT_EQ(sink->GetChannels(), 1);
        sink->Write(samples.data(), 3);
        EXPECT_EQ(FileBytes(path).size(), 1u);  // the third sample waits for a partner
        sink->Write(samples.data() + 3, 1);
        EXPECT_EQ(FileBytes(path).size(), 2u);
        sink->Write(samples.data() + 4, 3197);
        EXPECT_EQ(sink->GetFramesWritten(), 3201);
        ASSERT_TRUE(sink->Finish());
    }
    PlainVox vox;
    std::vector<std::uint8_t> expected;
    for (std::size_t i = 0; i + 1 < samples.size(); i += 2) {  // the last nibble stays unwritten
        const int high = vox.Encode(samples[i]);
        expected.push_back(static_cast<std::uint8_t>((high << 4) | vox.Encode(samples[i + 1])));
    }
    EXPECT_EQ(FileBytes(path), expected);
}

TEST_F(VoxFileTest, PredictorStaysWithinTheDeclaredPeak) {
    // The largest code over and over drives the predictor to its bound, from each side.
    for (std::uint8_t code : {0x77, 0xFF}) {
        LSRCVOX source(Write(std::vector<std::uint8_t>(4000, code)), 8000);
        EXPECT_EQ(source.GetMaxSample(), VoxAdpcm::kPeak);
        std::int64_t peak = 0;
        for (Sample s : ReadFrames(source, 8000)) {
            peak = std::max(peak, std::abs(std::int64_t{s}));
        }
        EXPECT_LE(peak, VoxAdpcm::kPeak);
        EXPECT_GT(peak, VoxAdpcm::kPeak / 100 * 99);
    }
}

// sox's VOX decoder works at twice our scale and without the leak (see tests/data/README.md):
// our decode of sox's file is the plain codec's, and sox's samples are about twice ours.
TEST_F(VoxFileTest, SoxFileDecodesLikeThePlainCodecAtHalfSoxsLevel) {
    const std::string path = testing::FormatData("vox_mono_sox.vox");
    LSoundSourceRef source = OpenRawSource(path, RawEncoding::kDialogicAdpcm, 8000, 2);
    ASSERT_EQ(source->GetChannels(), 1);
    ASSERT_EQ(source->GetLength(), 2004);  // 1002 bytes: 2003 samples and a padding nibble
    const std::vector<Sample> ours = testing::ReadWhole(*source);
    EXPECT_EQ(ours, PlainDecode(FileBytes(path)));

    const std::vector<Sample> sox = testing::PeerSamples("vox_mono_sox.sox.s16");
    ASSERT_EQ(sox.size(), ours.size());
    double sox_energy = 0, ours_energy = 0, difference = 0;
    for (std::size_t i = 0; i < sox.size(); ++i) {
        sox_energy += static_cast<double>(sox[i]) * sox[i];
        ours_energy += static_cast<double>(ours[i]) * ours[i];
        difference += std::pow(sox[i] - 2.0 * ours[i], 2);
    }
    EXPECT_NEAR(std::sqrt(sox_energy / ours_energy), 2.0, 0.1);
    EXPECT_GT(10 * std::log10(sox_energy / difference), 24.0);  // 25.1 dB measured
}

}  // namespace
}  // namespace sonvara
