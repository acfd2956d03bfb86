// The frequency analysis: the band a tone lands in, the level scale, and what a cursor near the
// end or a silent document gives.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "effects/frequency_analysis.h"
#include "tests/document/document_fixture.h"

namespace sonvara {
namespace {

std::vector<Sample> Sine(double hertz, std::int32_t rate, double amplitude, std::int32_t frames) {
    std::vector<Sample> samples(static_cast<std::size_t>(frames));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<Sample>(std::lround(
            amplitude * std::sin(2 * std::numbers::pi * hertz * static_cast<double>(i) / rate)));
    }
    return samples;
}

int LoudestBand(const SpectrumLevels& levels) {
    return static_cast<int>(std::max_element(levels.begin(), levels.end()) - levels.begin());
}

TEST(SpectrumTest, LevelsAreWholeDecibelsOfTheMagnitudeOver92682) {
    // A constant c puts 4096 c into band 0 alone.
    for (const auto& [value, level] :
         {std::pair{Sample{1}, -27}, std::pair{Sample{16}, -3}, std::pair{Sample{32}, 3},
          std::pair{FULL_SCALE, 87}, std::pair{Sample{0x7FFFFFFF}, 127}}) {
        std::vector<Sample> constant(kSpectrumFrames, value);
        const SpectrumLevels levels =
            SpectrumOf(std::span<const Sample, kSpectrumFrames>(constant));
        EXPECT_EQ(levels[0], level) << value;
        EXPECT_EQ(*std::max_element(levels.begin() + 1, levels.end()), kSilentBandLevel) << value;
    }
    // A tone in the middle of band 64: 4096 × 65536 / 2 over 92682 is 63.2 dB.
    const std::vector<Sample> tone = Sine(64 * 8000.0 / 4096, 8000, 65536, kSpectrumFrames);
    SpectrumLevels levels = SpectrumOf(std::span<const Sample, kSpectrumFrames>(tone));
    EXPECT_EQ(LoudestBand(levels), 64);
    EXPECT_EQ(levels[64], 63);
    levels[64] = kSilentBandLevel;
    EXPECT_LT(*std::max_element(levels.begin(), levels.end()), -40);  // the rounding's noise
}

class SpectrumDocumentTest : public testing::DocumentTest {};

TEST_F(SpectrumDocumentTest, AStereoFileIsAnalysedOnItsLeftChannelFromTheCursor) {
    // Left 1 kHz, right 5 kHz, at 44100 Hz: band 93 is centred on 1001.3 Hz.
    const std::vector<Sample> left = Sine(1000, 44100, 100000, 20000);
    const std::vector<Sample> right = Sine(5000, 44100, 400000, 20000);
    std::vector<Sample> stereo;
    for (std::size_t i = 0; i < left.size(); ++i) {
        stereo.insert(stereo.end(), {left[i], right[i]});
    }
    const LCutListAudio audio = FromSamples(stereo, 2, 44100);
    EXPECT_EQ(LoudestBand(AnalyzeSpectrum(audio, 0)), 93);
    EXPECT_EQ(BandFrequency(93, 44100), 1001);
    EXPECT_EQ(BandFrequency(512, 44100), 5512);

    // 1000 frames before the end: those 1000 frames and silence after them.
    std::vector<Sample> tail(left.end() - 1000, left.end());
    tail.resize(kSpectrumFrames, 0);
    EXPECT_EQ(AnalyzeSpectrum(audio, 19000),
              SpectrumOf(std::span<const Sample, kSpectrumFrames>(tail)));
    EXPECT_NE(AnalyzeSpectrum(audio, 19000), AnalyzeSpectrum(audio, 0));

    // Digital silence, and the very end: -127 in every band.
    SpectrumLevels silent;
    silent.fill(kSilentBandLevel);
    EXPECT_EQ(AnalyzeSpectrum(FromSamples(std::vector<Sample>(10000, 0), 1, 44100), 0), silent);
    EXPECT_EQ(AnalyzeSpectrum(audio, 20000), silent);
}

}  // namespace
}  // namespace sonvara
