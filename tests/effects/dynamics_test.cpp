// The compressor and the noise gates: their tables, and what they do to steady tones and noise.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "effects/compressor.h"
#include "effects/noise_gate.h"
#include "tests/document/document_fixture.h"
#include "tests/support/cancel_after_view.h"
#include "tests/support/run_process.h"

namespace sonvara {
namespace {

constexpr std::int32_t kDynamicsRate = 44100;

class DynamicsTest : public testing::DocumentTest {
  protected:
    static void AppendSine(std::vector<Sample>& samples, double amplitude, double frequency,
                           std::int32_t frames) {
        for (std::int32_t f = 0; f < frames; ++f) {
            samples.push_back(static_cast<Sample>(
                amplitude * std::sin(2 * std::numbers::pi * frequency * f / kDynamicsRate)));
        }
    }

    static double Rms(const std::vector<Sample>& samples, std::size_t from, std::size_t to) {
        double sum = 0;
        for (std::size_t i = from; i < to; ++i) {
            sum += static_cast<double>(samples[i]) * samples[i];
        }
        return std::sqrt(sum / static_cast<double>(to - from));
    }
};

TEST_F(DynamicsTest, CompressorTableHasTheMakeUpGainAndTheRatioSlope) {
    const double ratio = *CompressorRatioFactor(2);  // 2:1
    const CompressorGainTable table = MakeCompressorGainTable(-20, ratio);
    const double unity = 16777216.0;
    EXPECT_NEAR(table[0] / unity, std::sqrt(10.0), 1e-6);  // 10^(20 × 0.5 ÷ 20)
    EXPECT_EQ(table[0], table[108]);                       // flat up to the threshold
    EXPECT_NEAR(table[128] / unity, 1.0, 1e-6);            // unity again at 0 dB
    EXPECT_NEAR(table[148] / unity, 1 / std::sqrt(10.0), 1e-6);
    EXPECT_NEAR(static_cast<double>(table[255]) / table[254], ratio, 1e-3);  // to the top

    const CompressorGainTable flat = MakeCompressorGainTable(0, *CompressorRatioFactor(0));
    for (std::int32_t gain : flat) {
        ASSERT_EQ(gain, 16777216);
    }
    // The limit at −127 dB asks for a gain of 2^24 × 10^6.35: held at the top, not wrapped.
    const CompressorGainTable limit = MakeCompressorGainTable(-127, *CompressorRatioFactor(6));
    EXPECT_EQ(limit[0], INT32_MAX);
    EXPECT_GT(limit[255], 0);
}

TEST_F(DynamicsTest, BlockLevelsInWholeDecibels) {
    const std::vector<Sample> silence(4000, 0);
    EXPECT_EQ(CompressorBlockLevel(silence.data(), silence.size()), -127);
    EXPECT_EQ(CompressorBlockLevel(nullptr, 0), -127);
    // A constant 2^17 has (s >> 5)² = 2^24: 10 × log10(2^24 ÷ 8388626) = 3.01 dB.
    const std::vector<Sample> level(1000, 1 << 17);
    EXPECT_EQ(CompressorBlockLevel(level.data(), level.size()), 3);
    // Ten times quieter is 20 dB down, rounded away from zero.
    const std::vector<Sample> quiet(1000, (1 << 17) / 10);
    EXPECT_EQ(CompressorBlockLevel(quiet.data(), quiet.size()), -17);
    // Loud samples whose squares overflow 32 bits still measure right.
    const std::vector<Sample> loud(1000, 1 << 26);
    EXPECT_EQ(CompressorBlockLevel(loud.data(), loud.size()), 57);
}

TEST_F(DynamicsTest, OneToOneAtZeroIsTransparent) {
    LCutListAudio document = Staircase(30000, 2);
    const std::vector<Sample> before = ReadList(document);
    EfCompressor compressor(document, {3000, 25000},
                            {.threshold_db = 0, .ratio_index = 0, .limit_db = 0});
    ASSERT_EQ(testing::RunProcess(compressor), PROCESS_DONE);
    EXPECT_EQ(ReadList(document), before);
}

TEST_F(DynamicsTest, CompressorLiftsQuietPassagesAndLeavesZeroDecibelsAlone) {
    // A sine of amplitude 2^17 measures 0 dB; one 30 dB lower takes the full make-up gain.
    std::vector<Sample> input;
    AppendSine(input, 131072, 440, kDynamicsRate);
    AppendSine(input, 131072 / 31.62, 440, kDynamicsRate);
    LCutListAudio document = FromSamples(input, 1, kDynamicsRate);
    EfCompressor compressor(document, {0, 2 * kDynamicsRate},
                            {.threshold_db = -20, .ratio_index = 2, .limit_db = 0});
    ASSERT_EQ(testing::RunProcess(compressor), PROCESS_DONE);
    const std::vector<Sample> out = ReadList(document);
    ASSERT_EQ(out.size(), input.size());
    const std::size_t settle = kDynamicsRate / 4;
    EXPECT_NEAR(
        Rms(out, settle, kDynamicsRate - settle) / Rms(input, settle, kDynamicsRate - settle), 1.0,
        0.01);
    EXPECT_NEAR(Rms(out, kDynamicsRate + settle, 2 * kDynamicsRate) /
                    Rms(input, kDynamicsRate + settle, 2 * kDynamicsRate),
                std::sqrt(10.0), 0.02);
}

// A steady level keeps one gain to the very end of the file: the look-ahead used to read silence
// past the end (and into a last short block), and the make-up gain swelled the last 90 ms.
TEST_F(DynamicsTest, TheCompressorHoldsItsGainToTheEndOfTheFile) {
    for (int channels : {1, 2}) {
        SCOPED_TRACE(channels);
        const std::vector<Sample> input(static_cast<std::size_t>(kDynamicsRate + 1000) * channels,
                                        1 << 17);
        LCutListAudio document = FromSamples(input, channels, kDynamicsRate);
        EfCompressor compressor(document, {0, kDynamicsRate + 1000},
                                {.threshold_db = -20, .ratio_index = 2, .limit_db = 0});
        ASSERT_EQ(testing::RunProcess(compressor), PROCESS_DONE);
        const std::vector<Sample> out = ReadList(document);
        ASSERT_EQ(out.size(), input.size());
        EXPECT_LT(out[0], 1 << 17);  // 3 dB, above the threshold: turned down
        for (std::size_t i = 0; i < out.size(); ++i) {
            ASSERT_EQ(out[i], out[0]) << "frame " << i / channels;
        }
    }
}

TEST_F(DynamicsTest, ShortSelectionsKeepTheirLengthAndCancelsAndUnknownRatiosChangeNothing) {
    LCutListAudio document = Staircase(20000, 2);
    const std::vector<Sample> before = ReadList(document);
    for (int ratio : {-1, 7}) {
        EfCompressor compressor(document, {0, 20000},
                                {.threshold_db = -20, .ratio_index = ratio, .limit_db = 0});
        EXPECT_EQ(testing::RunProcess(compressor), PROCESS_FAILED) << ratio;
    }
    for (int polls : {0, 2}) {
        testing::CancelAfter cancel(polls);
        EfCompressor compressor(document, {0, 20000},
                                {.threshold_db = -20, .ratio_index = 3, .limit_db = 0});
        EXPECT_EQ(testing::RunProcess(compressor, &cancel), PROCESS_STOPPED);
        testing::CancelAfter cancel_gate(polls);
        EfNoiseReduction gate(document, {0, 20000}, {.level_db = -30});
        EXPECT_EQ(testing::RunProcess(gate, &cancel_gate), PROCESS_STOPPED);
    }
    EXPECT_EQ(ReadList(document), before);

    // 100 frames: less than one block of either effect.
    EfCompressor compressor(document, {1000, 1100},
                            {.threshold_db = -20, .ratio_index = 3, .limit_db = 0});
    ASSERT_EQ(testing::RunProcess(compressor), PROCESS_DONE);
    EfNoiseReduction gate(document, {1000, 1100}, {.level_db = -30});
    ASSERT_EQ(testing::RunProcess(gate), PROCESS_DONE);
    EXPECT_EQ(document.GetLength(), 20000);
    const std::vector<Sample> after = ReadList(document);
    EXPECT_TRUE(std::equal(after.begin(), after.begin() + 2000, before.begin()));
    EXPECT_TRUE(std::equal(after.begin() + 2200, after.end(), before.begin() + 2200));
}

TEST_F(DynamicsTest, GateLevelsAndThresholds) {
    EXPECT_EQ(NoiseGateLevels(-30), (std::array<int, 4>{-27, -30, -33, -30}));
    EXPECT_EQ(NoiseGateLevels(126), (std::array<int, 4>{127, 126, 123, 126}));
    EXPECT_EQ(NoiseGateLevels(-500), (std::array<int, 4>{-124, -127, -127, -127}));
    LCutListAudio document = Staircase(10, 1);
    LSRCNoiseGates gates(LSoundSourceRef(new LSRCCutListAudio(document)), {0, -20, -127, 0});
    EXPECT_NEAR(gates.Thresholds()[0], 65536, 1);  // 2^33 ÷ 2^17
    EXPECT_NEAR(gates.Thresholds()[1], 655360, 10);
    EXPECT_EQ(gates.Thresholds()[2], INT32_MAX);
    EXPECT_EQ(gates.BlockFrames(), 266);  // 8000 ÷ 30
}

TEST_F(DynamicsTest, GatesSilenceHissAndPassATone) {
    // One second of hiss 60 dB below full scale, then a 1 kHz tone at half scale over the hiss.
    std::mt19937 random(7);
    std::uniform_int_distribution<Sample> hiss(-524, 524);
    std::vector<Sample> input;
    AppendSine(input, 0, 1000, kDynamicsRate);
    AppendSine(input, 262136, 1000, kDynamicsRate);
    for (Sample& s : input) {
        s += hiss(random);
    }
    LCutListAudio document = FromSamples(input, 1, kDynamicsRate);
    EfNoiseReduction gate(document, {0, 2 * kDynamicsRate}, {.level_db = -30});
    ASSERT_EQ(testing::RunProcess(gate), PROCESS_DONE);
    const std::vector<Sample> out = ReadList(document);
    ASSERT_EQ(out.size(), input.size());
    // The hiss alone: the gates stay shut.
    EXPECT_LT(Rms(out, kDynamicsRate / 4, kDynamicsRate - kDynamicsRate / 10),
              Rms(input, kDynamicsRate / 4, kDynamicsRate) / 100);
    // The tone: through within a fraction of a decibel.
    const double tone_db =
        20 * std::log10(Rms(out, kDynamicsRate + kDynamicsRate / 4, 2 * kDynamicsRate) /
                        Rms(input, kDynamicsRate + kDynamicsRate / 4, 2 * kDynamicsRate));
    EXPECT_NEAR(tone_db, 0.0, 0.5);
}

}  // namespace
}  // namespace sonvara
