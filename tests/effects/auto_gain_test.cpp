// Automatic gain control: what it does to loudness, and that its temporary files never stay.

#include "effects/auto_gain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numbers>
#include <vector>

#include "tests/document/document_fixture.h"
#include "tests/support/cancel_after_view.h"
#include "tests/support/run_process.h"

namespace sonvara {
namespace {

constexpr std::int32_t kGainTestRate = 8000;

class AutoGainTest : public testing::DocumentTest {
  protected:
    AutoGainTest() { std::filesystem::create_directory(temporary_); }

    static void AppendTone(std::vector<Sample>& samples, double amplitude, std::int32_t frames) {
        for (std::int32_t f = 0; f < frames; ++f) {
            samples.push_back(static_cast<Sample>(
                amplitude * std::sin(2 * std::numbers::pi * 1000.0 * f / kGainTestRate)));
        }
    }

    static double LevelDb(const std::vector<Sample>& samples, std::size_t from, std::size_t to) {
        double sum = 0;
        for (std::size_t i = from; i < to; ++i) {
            sum += static_cast<double>(samples[i]) * samples[i];
        }
        return 10 * std::log10(sum / static_cast<double>(to - from));
    }

    bool TemporaryFolderIsEmpty() const { return std::filesystem::is_empty(temporary_); }

    const std::string temporary_ = scratch_.File("tmp");
    testing::ScopedEnv tmpdir_{"TMPDIR", temporary_};
};

TEST_F(AutoGainTest, HalvesTheLoudnessDifferenceBetweenPassages) {
    // 5 s loud, 3 s 20 dB quieter: the reference is the loud passages' level, so the quiet
    // passage comes up by about 10 dB and the loud one stays.
    std::vector<Sample> input;
    AppendTone(input, 0x20000, 5 * kGainTestRate);
    AppendTone(input, 0x20000 / 10.0, 3 * kGainTestRate);
    LCutListAudio document = FromSamples(input, 1, kGainTestRate);
    EfAutoGainControl agc(document, {0, 8 * kGainTestRate});
    ASSERT_EQ(testing::RunProcess(agc), PROCESS_DONE);
    const std::vector<Sample> out = ReadList(document);
    ASSERT_EQ(out.size(), input.size());
    const double loud = LevelDb(out, kGainTestRate, 5 * kGainTestRate) -
                        LevelDb(input, kGainTestRate, 5 * kGainTestRate);
    const double quiet = LevelDb(out, 6 * kGainTestRate, 8 * kGainTestRate) -
                         LevelDb(input, 6 * kGainTestRate, 8 * kGainTestRate);
    EXPECT_NEAR(loud, 0.0, 0.5);
    EXPECT_NEAR(quiet, 10.0, 1.0);
    EXPECT_TRUE(TemporaryFolderIsEmpty());
}

TEST_F(AutoGainTest, PausesAndSilenceAreNotPulledUp) {
    std::vector<Sample> input;
    AppendTone(input, 0x20000, 2 * kGainTestRate);
    AppendTone(input, 50, 2 * kGainTestRate);  // a pause with faint hiss-level tone, 68 dB down
    AppendTone(input, 0x20000, 2 * kGainTestRate);
    std::vector<Sample> stereo;
    for (Sample s : input) {
        stereo.push_back(s);
        stereo.push_back(0);  // a silent right channel stays silent
    }
    LCutListAudio document = FromSamples(stereo, 2, kGainTestRate);
    EfAutoGainControl agc(document, {0, 6 * kGainTestRate});
    ASSERT_EQ(testing::RunProcess(agc), PROCESS_DONE);
    const std::vector<Sample> out = ReadList(document);
    ASSERT_EQ(out.size(), stereo.size());
    std::vector<Sample> left, right;
    for (std::size_t i = 0; i < out.size(); i += 2) {
        left.push_back(out[i]);
        right.push_back(out[i + 1]);
    }
    // The pause keeps about the gain of the sound before it (within the decibel or so that
    // rounding of the loud blocks' levels leaves), instead of being lifted towards the reference.
    EXPECT_LT(std::abs(LevelDb(left, 2 * kGainTestRate + kGainTestRate / 2, 4 * kGainTestRate) -
                       LevelDb(input, 2 * kGainTestRate + kGainTestRate / 2, 4 * kGainTestRate)),
              2.0);
    EXPECT_TRUE(std::all_of(right.begin(), right.end(), [](Sample s) { return s == 0; }));
}

TEST_F(AutoGainTest, NoTemporaryFileStaysAndTheDocumentChangesOnlyOnSuccess) {
    std::vector<Sample> input;
    AppendTone(input, 0x20000, 3 * kGainTestRate);
    LCutListAudio document = FromSamples(input, 1, kGainTestRate);
    const std::vector<Sample> before = ReadList(document);
    // Cancelled in the first pass, and in the second (150 blocks per pass).
    for (int polls : {3, 200}) {
        testing::CancelAfter cancel(polls);
        EfAutoGainControl agc(document, {0, 3 * kGainTestRate});
        EXPECT_EQ(testing::RunProcess(agc, &cancel), PROCESS_STOPPED) << polls;
        EXPECT_TRUE(TemporaryFolderIsEmpty()) << polls;
    }
    EXPECT_EQ(ReadList(document), before);

    // No temporary folder to write in: refused, nothing changed.
    {
        testing::ScopedEnv missing("TMPDIR", scratch_.File("missing"));
        EfAutoGainControl agc(document, {0, 3 * kGainTestRate});
        EXPECT_EQ(testing::RunProcess(agc), PROCESS_FAILED);
    }
    EXPECT_EQ(ReadList(document), before);

    EfAutoGainControl agc(document, {0, 3 * kGainTestRate});
    EXPECT_EQ(testing::RunProcess(agc), PROCESS_DONE);
    EXPECT_TRUE(TemporaryFolderIsEmpty());
}

}  // namespace
}  // namespace sonvara
