// The tone generator, measured: the tone's frequency and level, the digits a DTMF decoder hears,
// and the slope of the noises.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "effects/frequency_analysis.h"
#include "effects/tone_generator.h"

namespace sonvara {
namespace {

std::vector<Sample> Generate(const ToneParameters& parameters) {
    LSoundSourceRef source = MakeToneSource(parameters);
    std::vector<Sample> samples(static_cast<std::size_t>(source->GetLength()) *
                                static_cast<std::size_t>(parameters.channels));
    source->Read(samples.data(), source->GetLength());
    return samples;
}

// The power of `hertz` in `samples` (Goertzel's filter).
double Goertzel(std::span<const Sample> samples, double hertz, std::int32_t rate) {
    const double coefficient = 2 * std::cos(2 * std::numbers::pi * hertz / rate);
    double previous = 0;
    double before = 0;
    for (Sample sample : samples) {
        const double next = sample + coefficient * previous - before;
        before = previous;
        previous = next;
    }
    return previous * previous + before * before - coefficient * previous * before;
}

TEST(ToneGeneratorTest, ATonesFrequencyAndLevelAreTheOnesAsked) {
    for (const auto& [rate, hertz, level, channels] :
         {std::tuple{44100, 1000, -6, 2}, std::tuple{8000, 441, -20, 1}}) {
        SCOPED_TRACE(hertz);
        const ToneParameters parameters{ToneShape::kSine, hertz, "", rate, channels, 2000, level};
        ASSERT_TRUE(Check(parameters));
        const std::vector<Sample> samples = Generate(parameters);
        ASSERT_EQ(samples.size(), static_cast<std::size_t>(rate * 2 * channels));

        std::vector<Sample> left;
        for (std::size_t i = 0; i < samples.size(); i += static_cast<std::size_t>(channels)) {
            left.push_back(samples[i]);
            EXPECT_EQ(samples[i + static_cast<std::size_t>(channels) - 1], samples[i]);
        }
        // Rising zero crossings over two seconds.
        int crossings = 0;
        for (std::size_t i = 1; i < left.size(); ++i) {
            crossings += left[i - 1] < 0 && left[i] >= 0;
        }
        EXPECT_NEAR(crossings, 2 * hertz, 1);
        // The peak at the level asked, the RMS 3 dB below it.
        const double amplitude = FULL_SCALE * std::pow(10.0, level / 20.0);
        const auto [low, high] = std::minmax_element(left.begin(), left.end());
        EXPECT_NEAR(*high, amplitude, amplitude * 0.002);
        EXPECT_NEAR(*low, -amplitude, amplitude * 0.002);
        double sum = 0;
        for (Sample sample : left) {
            sum += double(sample) * sample;
        }
        EXPECT_NEAR(20 * std::log10(std::sqrt(sum / left.size()) / FULL_SCALE), level - 3.0103,
                    0.01);

        // A seek lands on the samples a read from the start gives there.
        LSoundSourceRef source = MakeToneSource(parameters);
        source->Seek(12345);
        std::vector<Sample> after(100 * static_cast<std::size_t>(channels));
        source->Read(after.data(), 100);
        EXPECT_TRUE(std::equal(after.begin(), after.end(),
                               samples.begin() + 12345 * static_cast<std::ptrdiff_t>(channels)));
    }
}

TEST(ToneGeneratorTest, DtmfDigitsDecodeWithTheirRowAndColumnTones) {
    const std::vector<int> rows = {697, 770, 852, 941};
    const std::vector<int> columns = {1209, 1336, 1477, 1633};
    const std::string keys = "123A456B789C*0#D";
    const std::string digits = "159*#0DA";
    const std::int32_t rate = 8000;
    const std::vector<Sample> samples = Generate({ToneShape::kDtmf, 0, digits, rate, 1, 0, -3});
    ASSERT_EQ(samples.size(), digits.size() * 2400);

    auto loudest = [](std::span<const Sample> part, const std::vector<int>& group) {
        std::vector<double> power;
        for (int hertz : group) {
            power.push_back(Goertzel(part, hertz, rate));
        }
        const auto best = std::max_element(power.begin(), power.end());
        // Every other tone of the group at least 20 dB below.
        for (double other : power) {
            EXPECT_TRUE(other == *best || other < *best / 100);
        }
        return static_cast<std::size_t>(best - power.begin());
    };
    std::string heard;
    for (std::size_t d = 0; d < digits.size(); ++d) {
        const std::span<const Sample> tone(samples.data() + d * 2400, 1600);
        heard += keys[loudest(tone, rows) * 4 + loudest(tone, columns)];
        const std::span<const Sample> gap(samples.data() + d * 2400 + 1600, 800);
        EXPECT_TRUE(std::all_of(gap.begin(), gap.end(), [](Sample s) { return s == 0; }));
    }
    EXPECT_EQ(heard, digits);
}

// The mean power of the bands [first, 2 first) over a second of `shape`, in decibels.
double OctavePower(ToneShape shape, int first) {
    const std::vector<Sample> samples = Generate({shape, 0, "", 44100, 1, 1000, -6});
    double sum = 0;
    int windows = 0;
    for (std::size_t at = 0; at + kSpectrumFrames <= samples.size(); at += kSpectrumFrames) {
        const SpectrumLevels levels = SpectrumOf(
            std::span<const Sample, kSpectrumFrames>(samples.data() + at, kSpectrumFrames));
        for (int band = first; band < 2 * first; ++band) {
            sum += std::pow(10.0, levels[static_cast<std::size_t>(band)] / 10.0);
        }
        ++windows;
    }
    return 10 * std::log10(sum / windows / first);
}

TEST(ToneGeneratorTest, WhiteNoiseIsFlatAndPinkNoiseFallsThreeDecibelsAnOctave) {
    // From the octave of bands 16-31 (172-344 Hz) to that of 512-1023: five octaves up.
    EXPECT_NEAR(OctavePower(ToneShape::kWhiteNoise, 512) - OctavePower(ToneShape::kWhiteNoise, 16),
                0, 1.5);
    EXPECT_NEAR(OctavePower(ToneShape::kPinkNoise, 512) - OctavePower(ToneShape::kPinkNoise, 16),
                -15, 3);
    for (ToneShape shape : {ToneShape::kWhiteNoise, ToneShape::kPinkNoise, ToneShape::kSquare}) {
        const std::vector<Sample> samples = Generate({shape, 100, "", 44100, 1, 1000, -6});
        const Sample peak = static_cast<Sample>(std::ceil(FULL_SCALE * std::pow(10.0, -6 / 20.0)));
        EXPECT_LE(*std::max_element(samples.begin(), samples.end()), peak);
        EXPECT_GE(*std::min_element(samples.begin(), samples.end()), -peak);
    }
}

}  // namespace
}  // namespace sonvara
