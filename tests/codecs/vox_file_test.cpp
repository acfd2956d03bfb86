// VOX files: the Dialogic ADPCM codec against a plain transcription of how it is described,
// nibble order and carry-over in the reader and writer, and the bound on the predictor.

#include "codecs/vox_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "codecs/raw_formats.h"
#include "tests/codecs/format_test_util.h"
#include "tests/support/captured_diagnostics.h"
#include "tests/support/scratch_folder.h"

namespace sonvara {
namespace {

using testing::Bytes;
using testing::FileBytes;
using testing::ReadFrames;

// The codec as described, written out plainly with its own tables.
struct DescribedVox {
    static constexpr int kStep[49] = {
        16,  17,  19,  21,  23,  25,  28,  31,  34,  37,  41,   45,   50,   55,   60,  66,  73,
        80,  88,  97,  107, 118, 130, 143, 157, 173, 190, 209,  230,  253,  279,  307, 337, 371,
        408, 449, 494, 544, 598, 658, 724, 796, 876, 963, 1060, 1166, 1282, 1411, 1552};
    static constexpr int kAdjust[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};

    std::int64_t predictor = 0;  // 64 bits: an overflow in the codec under test would show
    int index = 0;

    static int D(int code) {
        const int d = 16 * (2 * (code & 7) + 1);
        return code >= 8 ? -d : d;
    }
    // Arithmetic shift right by 6, rounding down, on a 64-bit value.
    static std::int64_t Leak(std::int64_t p) { return p >= 0 ? p / 64 : -((-p + 63) / 64); }

    std::int64_t Decode(int code) {
        index = std::clamp(index, 0, 48);
        predictor = predictor + std::int64_t{kStep[index]} * D(code) - Leak(predictor);
        index += kAdjust[code];
        return predictor;
    }

    int Encode(std::int64_t x) {
        index = std::clamp(index, 0, 48);
        predictor = predictor - Leak(predictor);
        std::int64_t q = (x - predictor) / kStep[index];
        int code = 0;
        if (q < 0) {
            code = 8;
            q = -q;
        }
        if (q >= 132) {
            code |= 4;
            q -= 132;
        }
        if (q >= 66) {
            code |= 2;
            q -= 66;
        }
        if (q >= 33) {
            code |= 1;
        }
        predictor += std::int64_t{kStep[index]} * D(code);
        index += kAdjust[code];
        return code;
    }
};

std::vector<Sample> DescribedDecode(const std::vector<std::uint8_t>& bytes) {
    DescribedVox vox;
    std::vector<Sample> samples;
    for (std::uint8_t b : bytes) {
        samples.push_back(static_cast<Sample>(vox.Decode(b >> 4)));
        samples.push_back(static_cast<Sample>(vox.Decode(b & 15)));
    }
    return samples;
}

std::vector<std::uint8_t> RandomBytes(std::size_t count, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<std::uint8_t> bytes(count);
    for (std::uint8_t& b : bytes) {
        b = static_cast<std::uint8_t>(byte(rng));
    }
    return bytes;
}

class VoxFileTest : public ::testing::Test {
  protected:
    std::string Write(const std::vector<std::uint8_t>& bytes) {
        const std::string path = scratch_.File("a.vox");
        Bytes().Append(bytes).WriteTo(path);
        return path;
    }

    testing::ScratchFolder scratch_;
};

TEST_F(VoxFileTest, DecodesAsDescribedInReadsOfAnySize) {
    // Random codes drive the index to both ends of the table and the predictor far out.
    const std::vector<std::uint8_t> bytes = RandomBytes(5001, 7);
    const std::vector<Sample> expected = DescribedDecode(bytes);
    LSRCVOX source(Write(bytes), 6000);
    ASSERT_FALSE(source.IsError());
    EXPECT_EQ(source.GetSampleRate(), 6000);
    EXPECT_EQ(source.GetChannels(), 1);
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

TEST_F(VoxFileTest, ReadsSilenceOutsideTheFileWithoutDisturbingTheDecoder) {
    const std::vector<std::uint8_t> bytes = {0x17, 0x3F, 0x80};
    const std::vector<Sample> decoded = DescribedDecode(bytes);
    LSRCVOX source(Write(bytes), 8000);
    source.Seek(-3);
    std::vector<Sample> expected = {0, 0, 0};
    expected.insert(expected.end(), decoded.begin(), decoded.end());
    expected.insert(expected.end(), {0, 0});
    EXPECT_EQ(ReadFrames(source, 11), expected);
    EXPECT_EQ(source.GetPosition(), 8);
}

TEST_F(VoxFileTest, SeekKeepsTheStateAndStartsAnOddPositionAtTheLowNibble) {
    const std::vector<std::uint8_t> bytes = RandomBytes(100, 3);
    LSRCVOX source(Write(bytes), 8000);
    DescribedVox vox;
    ReadFrames(source, 9);  // ends after the high nibble of byte 4
    for (int i = 0; i < 9; ++i) {
        vox.Decode(i % 2 == 0 ? bytes[static_cast<std::size_t>(i / 2)] >> 4
                              : bytes[static_cast<std::size_t>(i / 2)] & 15);
    }
    source.Seek(61);
    const std::vector<Sample> after = ReadFrames(source, 3);
    const std::vector<Sample> expected = {static_cast<Sample>(vox.Decode(bytes[30] & 15)),
                                          static_cast<Sample>(vox.Decode(bytes[31] >> 4)),
                                          static_cast<Sample>(vox.Decode(bytes[31] & 15))};
    EXPECT_EQ(after, expected);
}

TEST_F(VoxFileTest, EncodesAsDescribedEvenFarOutsideFullScale) {
    std::vector<Sample> samples;
    for (int i = 0; i < 4000; ++i) {
        samples.push_back(static_cast<Sample>(std::lround(0x60000 * std::sin(i * 0.031))));
    }
    // Jumps between the extremes of 32 bits, which no limited signal reaches.
    for (int i = 0; i < 200; ++i) {
        samples.push_back(i % 3 == 0 ? std::numeric_limits<Sample>::max()
                                     : std::numeric_limits<Sample>::min());
    }
    DescribedVox described;
    VoxAdpcm ours;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        ASSERT_EQ(ours.Encode(samples[i]), described.Encode(samples[i])) << i;
        ASSERT_EQ(ours.Predictor(), described.predictor) << i;
    }
}

TEST_F(VoxFileTest, WriterCarriesAnOpenNibbleToTheNextWrite) {
    std::vector<Sample> samples;
    for (int i = 0; i < 9; ++i) {
        samples.push_back((i % 4 - 1) * 100000);
    }
    const std::string whole_path = scratch_.File("whole.vox");
    const std::string split_path = scratch_.File("split.vox");
    {
        LSNKVOX whole(whole_path, 8000);
        whole.Write(samples.data(), 9);
    }
    {
        LSoundSinkRef split = OpenRawSink(split_path, RawEncoding::kDialogicAdpcm, 8000, 2);
        EXPECT_EQ(split->GetChannels(), 1);
        split->Write(samples.data(), 3);
        EXPECT_EQ(FileBytes(split_path).size(), 1u);  // the third sample waits for a partner
        split->Write(samples.data() + 3, 1);
        EXPECT_EQ(FileBytes(split_path).size(), 2u);
        split->Write(samples.data() + 4, 5);
        EXPECT_EQ(split->GetFramesWritten(), 9);
    }
    // The ninth sample's nibble is never written.
    const std::vector<std::uint8_t> bytes = FileBytes(whole_path);
    EXPECT_EQ(bytes.size(), 4u);
    EXPECT_EQ(FileBytes(split_path), bytes);
    DescribedVox vox;
    std::vector<std::uint8_t> expected;
    for (int i = 0; i < 8; i += 2) {
        const int high = vox.Encode(samples[static_cast<std::size_t>(i)]);
        expected.push_back(static_cast<std::uint8_t>(
            (high << 4) | vox.Encode(samples[static_cast<std::size_t>(i + 1)])));
    }
    EXPECT_EQ(bytes, expected);
}

TEST_F(VoxFileTest, WhatTheWriterCodesDecodesToTheEncoderTrack) {
    // Speech-like: a few tones under an envelope, with a silent stretch.
    std::vector<Sample> signal;
    for (int i = 0; i < 20000; ++i) {
        const double envelope = i > 12000 && i < 14000 ? 0 : 0.5 + 0.5 * std::sin(i * 0.0013);
        signal.push_back(static_cast<Sample>(
            std::lround(envelope * (0x30000 * std::sin(i * 0.11) + 0x18000 * std::sin(i * 0.53)))));
    }
    const std::string path = scratch_.File("track.vox");
    {
        LSNKVOX sink(path, 8000);
        sink.Write(signal.data(), 20000);
    }
    VoxAdpcm encoder;
    std::vector<Sample> track;
    for (Sample s : signal) {
        encoder.Encode(s);
        track.push_back(encoder.Predictor());
    }
    LSRCVOX source(path, 8000);
    ASSERT_EQ(source.GetLength(), 20000);
    const std::vector<Sample> decoded = ReadFrames(source, 20000);
    EXPECT_EQ(decoded, track);
    double signal_energy = 0, noise = 0;
    for (std::size_t i = 0; i < signal.size(); ++i) {
        signal_energy += static_cast<double>(signal[i]) * signal[i];
        noise += static_cast<double>(decoded[i] - signal[i]) * (decoded[i] - signal[i]);
    }
    EXPECT_GT(10 * std::log10(signal_energy / noise), 20.0);
}

TEST_F(VoxFileTest, PredictorStaysWithinTheDeclaredPeak) {
    // The largest code over and over drives the predictor towards its bound from each side.
    for (std::uint8_t code : {0x77, 0xFF}) {
        SCOPED_TRACE(int{code});
        LSRCVOX source(Write(std::vector<std::uint8_t>(4000, code)), 8000);
        EXPECT_EQ(source.GetMaxSample(), VoxAdpcm::kPeak);
        const std::vector<Sample> samples = ReadFrames(source, 8000);
        std::int64_t peak = 0;
        for (Sample s : samples) {
            peak = std::max(peak, std::abs(std::int64_t{s}));
        }
        EXPECT_LE(peak, VoxAdpcm::kPeak);
        EXPECT_GT(peak, VoxAdpcm::kPeak / 100 * 99);
    }
}

// sox's VOX decoder works at twice our scale and without the leak (see tests/data/README.md): our
// decode of sox's file is the described one, and sox's samples are about twice ours.
TEST_F(VoxFileTest, SoxFileDecodesAsDescribedAtHalfSoxsLevel) {
    const std::string path = testing::FormatData("vox_mono_sox.vox");
    const std::vector<Sample> expected = DescribedDecode(FileBytes(path));
    LSoundSourceRef source = OpenRawSource(path, RawEncoding::kDialogicAdpcm, 8000, 2);
    ASSERT_FALSE(source->IsError());
    EXPECT_EQ(source->GetChannels(), 1);
    ASSERT_EQ(source->GetLength(), 2004);  // 1002 bytes: the 2003 samples and a padding nibble
    const std::vector<Sample> ours = testing::ReadWhole(*source);
    EXPECT_EQ(ours, expected);

    const std::vector<Sample> sox = testing::PeerSamples("vox_mono_sox.sox.s16");
    ASSERT_EQ(sox.size(), ours.size());
    double sox_energy = 0, ours_energy = 0, difference = 0;
    for (std::size_t i = 0; i < sox.size(); ++i) {
        sox_energy += static_cast<double>(sox[i]) * sox[i];
        ours_energy += static_cast<double>(ours[i]) * ours[i];
        const double error = sox[i] - 2.0 * ours[i];
        difference += error * error;
    }
    EXPECT_NEAR(std::sqrt(sox_energy / ours_energy), 2.0, 0.1);
    EXPECT_GT(10 * std::log10(sox_energy / difference), 24.0);  // 25.1 dB measured
}

TEST_F(VoxFileTest, FilesThatCannotBeOpenedOrCreated) {
    LSRCVOX missing(scratch_.File("none.vox"), 8000);
    EXPECT_TRUE(missing.IsError());
    EXPECT_EQ(missing.GetLength(), 0);
    EXPECT_EQ(ReadFrames(missing, 4), std::vector<Sample>(4, 0));

    testing::CapturedDiagnostics diagnostics;
    const std::string path = scratch_.File("no/folder.vox");
    LSNKVOX sink(path, 8000);
    EXPECT_TRUE(sink.IsError());
    EXPECT_TRUE(diagnostics.Contains("LSNKVOX::LSNKVOX unable to open file: " + path));
    const Sample one[] = {5};
    sink.Write(one, 1);
    EXPECT_EQ(sink.GetFramesWritten(), 0);
}

}  // namespace
}  // namespace sonvara
