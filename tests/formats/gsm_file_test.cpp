// ".gsm" files: our reader and writer (the program's own filters around the codec) against
// toast and untoast, the file layout's edge cases, reads, seeks, and the load and save dispatch.

#include "formats/gsm_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <random>

#include "audio/wav/wave_file.h"
#include "formats/load_save.h"
#include "tests/codecs/gsm_test_util.h"
#include "tests/support/captured_diagnostics.h"
#include "tests/support/run_process.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/wave_writer.h"

namespace sonvara {
namespace {

using testing::GsmBytes;
using testing::GsmS16;
using testing::ReadFrames;

// The largest distance, in 16-bit steps, between our decode (internal scale) and a 16-bit one.
double LargestStepDifference(const std::vector<Sample>& ours,
                             const std::vector<std::int16_t>& peer) {
    double largest = 0;
    for (std::size_t i = 0; i < std::min(ours.size(), peer.size()); ++i) {
        largest = std::max(largest, std::abs(ours[i] / 16.0 - peer[i]));
    }
    return largest;
}

class GsmFileTest : public ::testing::Test {
  protected:
    std::string Write(const std::vector<std::uint8_t>& bytes) {
        const std::string path = scratch_.File("a.gsm");
        testing::Bytes().Append(bytes).WriteTo(path);
        return path;
    }

    // Writes `samples` through our writer and returns the file's bytes.
    std::vector<std::uint8_t> Save(const std::vector<Sample>& samples, std::int32_t piece) {
        const std::string path = scratch_.File("saved.gsm");
        {
            LGSMFileSink sink(path);
            EXPECT_FALSE(sink.IsError());
            EXPECT_EQ(sink.GetSampleRate(), 8000);
            EXPECT_EQ(sink.GetChannels(), 1);
            for (std::size_t at = 0; at < samples.size(); at += static_cast<std::size_t>(piece)) {
                sink.Write(
                    samples.data() + at,
                    std::min<std::int32_t>(piece, static_cast<std::int32_t>(samples.size() - at)));
            }
            EXPECT_TRUE(sink.Finish());
        }
        return testing::FileBytes(path);
    }

    testing::ScratchFolder scratch_;
};

TEST_F(GsmFileTest, DecodesToastsFilesCloseToUntoast) {
    // The post-filters differ in the de-emphasis coefficient (880/1024 for 28180/32768) and
    // untoast truncates to 13 bits and clips at full scale; we do neither.
    LGSMFileSource source(testing::GsmData("speech_toast.gsm"));
    ASSERT_FALSE(source.IsError());
    EXPECT_EQ(source.GetSampleRate(), 8000);
    EXPECT_EQ(source.GetChannels(), 1);
    EXPECT_EQ(source.GetMaxSample(), 0xFFFE0);
    EXPECT_EQ(source.GetLength(), 24000);
    const std::vector<Sample> ours = ReadFrames(source, 24000);
    const std::vector<std::int16_t> untoast = GsmS16("speech_toast.untoast.s16");
    // Measured on speech_toast.gsm: 19.4 steps at most, 57.5 dB SNR.
    EXPECT_LE(LargestStepDifference(ours, untoast), 21);
    std::vector<std::int16_t> ours16;
    for (Sample s : ours) {
        ours16.push_back(static_cast<std::int16_t>(std::clamp(s / 16, -32768, 32767)));
    }
    EXPECT_GE(testing::SnrDb(untoast, ours16), 55);
}

TEST_F(GsmFileTest, OurFilesDecodeByUntoastAsWellAsToastsOwn) {
    const std::vector<std::int16_t> speech = GsmS16("speech.s16");
    const std::vector<std::uint8_t> ours = Save(testing::ToInternal(speech), 1021);
    ASSERT_EQ(ours.size(), 150u * 33);
    // The standard decoder is untoast's (gsm_frame_test), so this is untoast hearing our file.
    const double our_snr = testing::SnrDb(speech, testing::StandardDecode(ours));
    const double toast_snr = testing::SnrDb(speech, GsmS16("speech_toast.untoast.s16"));
    EXPECT_GE(our_snr, toast_snr - 1) << our_snr << " dB against toast's " << toast_snr;
    // speech_ours.gsm is the file untoast itself decoded (make.sh): still what we write.
    EXPECT_EQ(ours, GsmBytes("speech_ours.gsm"));
    EXPECT_GE(testing::SnrDb(speech, GsmS16("speech_ours.untoast.s16")), toast_snr - 1);
}

TEST_F(GsmFileTest, LengthCountsWholeFramesOnly) {
    for (const auto& [bytes, frames] : std::vector<std::pair<std::size_t, std::int32_t>>{
             {0, 0}, {32, 0}, {33, 160}, {66, 320}, {70, 320}, {98, 320}, {99, 480}}) {
        LGSMFileSource source(Write(std::vector<std::uint8_t>(bytes, 0xD0)));
        EXPECT_FALSE(source.IsError());
        EXPECT_EQ(source.GetLength(), frames) << bytes << " bytes";
    }
}

TEST_F(GsmFileTest, SavedFilesEndInASilencePaddedFrame) {
    std::mt19937 rng(161);
    const std::vector<Sample> samples =
        testing::ToInternal(testing::Random<std::int16_t>(rng, 161, -9000, 9000));
    const std::vector<std::uint8_t> saved = Save(samples, 7);
    ASSERT_EQ(saved.size(), 66u);
    EXPECT_EQ(saved[0] >> 4, 0xD);
    EXPECT_EQ(saved[33] >> 4, 0xD);
    // The same frames from the codec itself, the second with 159 zeros after its sample.
    LGSMFrame codec;
    Sample padded[2 * gsm::kFrameSamples] = {};
    std::copy(samples.begin(), samples.end(), padded);
    std::uint8_t expected[66];
    codec.EncodeSamples(padded, expected);
    codec.EncodeSamples(padded + gsm::kFrameSamples, expected + 33);
    EXPECT_TRUE(std::equal(saved.begin(), saved.end(), expected));
    // Nothing written, nothing saved.
    EXPECT_TRUE(Save({}, 1).empty());
}

TEST_F(GsmFileTest, ReadsOfAnySizeGiveTheSequentialDecode) {
    const std::vector<std::uint8_t> bytes = GsmBytes("speech_toast.gsm");
    std::vector<Sample> expected(24000);
    LGSMFrame codec;
    for (std::size_t f = 0; f < 150; ++f) {
        codec.DecodeSamples(bytes.data() + 33 * f, expected.data() + 160 * f);
    }
    for (std::int32_t piece : {1, 159, 160, 161, 1021, 24000}) {
        SCOPED_TRACE(piece);
        LGSMFileSource source(testing::GsmData("speech_toast.gsm"));
        source.Seek(-50);  // silence comes first
        EXPECT_EQ(ReadFrames(source, 50), std::vector<Sample>(50, 0));
        std::vector<Sample> read;
        while (source.GetPosition() < source.GetLength()) {
            const std::vector<Sample> part = ReadFrames(source, piece);
            read.insert(read.end(), part.begin(), part.end());
        }
        // A read across the end gives silence for the part beyond it.
        EXPECT_TRUE(std::all_of(read.begin() + 24000, read.end(), [](Sample s) { return s == 0; }));
        read.resize(24000);
        EXPECT_EQ(read, expected);
        EXPECT_EQ(ReadFrames(source, 5), std::vector<Sample>(5, 0));
    }
}

TEST_F(GsmFileTest, SeeksRestartTheDecoderAtTheFrameOfThePosition) {
    const std::vector<std::uint8_t> bytes = GsmBytes("speech_toast.gsm");
    LGSMFileSource source(testing::GsmData("speech_toast.gsm"));
    for (std::int32_t target : {0, 1000, 1120, 23999}) {
        SCOPED_TRACE(target);
        // From a fresh decoder at the frame that holds the target.
        LGSMFrame codec;
        const std::int32_t frame = target / 160;
        std::vector<Sample> expected(static_cast<std::size_t>(160 * (150 - frame)));
        for (std::int32_t f = frame; f < 150; ++f) {
            codec.DecodeSamples(bytes.data() + 33 * f, expected.data() + 160 * (f - frame));
        }
        expected.erase(expected.begin(), expected.begin() + target % 160);
        ReadFrames(source, 333);  // somewhere else first
        source.Seek(target);
        EXPECT_EQ(source.GetPosition(), target);
        EXPECT_EQ(ReadFrames(source, 24000 - target), expected);
    }
    // The first frame after a seek differs from the same frame decoded in sequence.
    source.Seek(0);
    const std::vector<Sample> sequential = ReadFrames(source, 1120 + 160);
    source.Seek(1120);
    const std::vector<Sample> after_seek = ReadFrames(source, 160);
    EXPECT_NE(after_seek, std::vector<Sample>(sequential.begin() + 1120, sequential.end()));
    // Beyond the end: silence, and the position is the one asked for.
    source.Seek(30000);
    EXPECT_EQ(source.GetPosition(), 30000);
    EXPECT_EQ(ReadFrames(source, 100), std::vector<Sample>(100, 0));
    EXPECT_EQ(source.GetLength(), 24000);
}

TEST_F(GsmFileTest, FilesThatCannotBeOpenedLeaveTheErrorState) {
    testing::CapturedDiagnostics diagnostics;
    const std::string missing = scratch_.File("none.gsm");
    LGSMFileSource source(missing);
    EXPECT_TRUE(source.IsError());
    EXPECT_EQ(source.GetLength(), 0);
    EXPECT_EQ(ReadFrames(source, 10), std::vector<Sample>(10, 0));
    EXPECT_TRUE(
        diagnostics.Contains("LGSMFileSource::LGSMFileSource Unable to open file: " + missing));

    const std::string bad = scratch_.File("no/such/folder.gsm");
    LGSMFileSink sink(bad);
    EXPECT_TRUE(sink.IsError());
    EXPECT_TRUE(diagnostics.Contains("LGSMFileSink::LGSMFileSink unable to open file: " + bad));
    LGSMFileSink good(scratch_.File("b.gsm"));
    good.Truncate(0);
    EXPECT_TRUE(diagnostics.Contains("LGSMFileSink::Seek Function not implemented"));
}

TEST_F(GsmFileTest, LoadAndSaveChooseTheGsmCoderAndConvertToItsRate) {
    // 44100 Hz stereo in; the save chain makes it 8000 Hz mono for the writer.
    const std::string wav = scratch_.File("in.wav");
    std::vector<Sample> stereo;
    for (int i = 0; i < 2 * 44100; ++i) {
        stereo.push_back(static_cast<Sample>(std::lround(
            0.4 * FULL_SCALE * std::sin(2 * std::numbers::pi * 300 * (i / 2) / 44100.0))));
    }
    ASSERT_TRUE(testing::WriteWave16(wav, stereo, 44100, 2));
    const std::string gsm = scratch_.File("out.GSM");
    LSVConvertFile to_gsm(wav, gsm, SaveMode::kPlain, false);
    ASSERT_EQ(testing::RunProcess(to_gsm), PROCESS_DONE);
    EXPECT_EQ(testing::FileBytes(gsm).size(), 50u * 33);  // 8000 samples, 50 frames

    LSoundSourceRef back = OpenSourceForLoad(gsm, RawFileFormat{});
    ASSERT_FALSE(back->IsError());
    EXPECT_EQ(back->GetSampleRate(), 8000);
    EXPECT_EQ(back->GetChannels(), 1);
    EXPECT_EQ(back->GetLength(), 8000);
    // The tone survives: its level after the first frames is close to the original's.
    const std::vector<Sample> decoded = ReadFrames(*back, 8000);
    double energy = 0;
    for (std::size_t i = 4000; i < 8000; ++i) {
        energy += static_cast<double>(decoded[i]) * decoded[i];
    }
    EXPECT_NEAR(std::sqrt(energy / 4000) / (0.4 * FULL_SCALE / std::sqrt(2)), 1.0, 0.15);
}

}  // namespace
}  // namespace sonvara
