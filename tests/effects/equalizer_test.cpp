#include "effects/equalizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "tests/audio/signals.h"
#include "tests/document/document_fixture.h"
#include "tests/support/cancel_after_view.h"
#include "tests/support/run_process.h"

namespace sonvara {
namespace {

PointList Points(std::initializer_list<PointList::Point> points) {
    PointList list;
    list.n_points = static_cast<std::uint8_t>(points.size());
    std::copy(points.begin(), points.end(), list.points.begin());
    return list;
}

// Flat, but at a quarter (y 32) from x 11 to x 15: at 44.1 kHz bands 79 to 108 (851 to 1163 Hz).
PointList DipAround1kHz() {
    return Points({{0, 128}, {9, 128}, {11, 32}, {15, 32}, {17, 128}, {255, 128}});
}

std::vector<Sample> RandomSamples(std::size_t count, std::int64_t bound, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::int64_t> pick(-bound, bound);
    std::vector<Sample> samples(count);
    for (Sample& s : samples) {
        s = static_cast<Sample>(pick(random));
    }
    return samples;
}

// What the flat table (h[0] = 2^15, every other tap 0) makes of `input`: each sample cut to the
// buffer's shift s, (x >> s) · 2^s.
std::vector<Sample> FlatTableOutput(const std::vector<Sample>& input, int shift) {
    std::vector<Sample> out(input.size());
    for (std::size_t i = 0; i < input.size(); ++i) {
        out[i] = static_cast<Sample>(static_cast<std::uint32_t>(input[i] >> shift) << shift);
    }
    return out;
}

// The filter's gain at ω (radians a frame) from its taps: h[0] + 2 Σ h[n] cos(nω), over 2^15.
double TapsGain(const EqualizerTaps& taps, double omega) {
    double sum = taps[0];
    for (int n = 1; n < kEqualizerTaps; ++n) {
        sum += 2.0 * taps[n] * std::cos(n * omega);
    }
    return sum / 32768;
}

// Reads `frames` frames in pieces of awkward sizes that cross the 8192-frame blocks.
std::vector<Sample> ReadInPieces(LSoundSourceBase& source, std::int32_t frames) {
    const int channels = source.GetChannels();
    std::vector<Sample> out(static_cast<std::size_t>(frames) * channels);
    const std::int32_t pieces[] = {1, 8191, 8192, 777, 3, 5000};
    for (std::int32_t done = 0, k = 0; done < frames; ++k) {
        const std::int32_t n = std::min(pieces[k % 6], frames - done);
        source.Read(out.data() + static_cast<std::size_t>(done) * channels, n);
        done += n;
    }
    return out;
}

TEST(EqualizerResponseTest, PointsBecomeLinesOfBandsAtTheDocumentRate) {
    // 32 kHz: x lies at band 10·x. 100 rising to 200 over bands 0..99, then level.
    EqualizerResponse g = MakeEqualizerResponse(Points({{0, 100}, {10, 200}}), 32000);
    EXPECT_EQ(g[37], 137);
    EXPECT_EQ(g[99], 199);
    EXPECT_EQ(g[100], 200);
    EXPECT_EQ(g[2047], 200);
    // Falling lines truncate toward zero: 200 + trunc(−100 ÷ 30) = 197, not 196. The first
    // point's x does not matter: the line starts at band 0.
    g = MakeEqualizerResponse(Points({{7, 200}, {3, 100}, {255, 100}}), 32000);
    EXPECT_EQ(g[1], 197);
    EXPECT_EQ(g[30], 100);
    // 8 kHz: x 100 lies at band 4000, past the top; the slope is still that of the whole line.
    g = MakeEqualizerResponse(Points({{0, 0}, {100, 250}}), 8000);
    EXPECT_EQ(g[2047], 127);  // trunc(2047 × 250 ÷ 4000)
    // No rate is 44.1 kHz, where x 40 lies at band trunc(40 × 320000 ÷ 44100) = 290; a point on
    // the same x as the one before switches level there without a line.
    const PointList step = Points({{0, 50}, {40, 50}, {40, 90}, {255, 90}});
    g = MakeEqualizerResponse(step, 0);
    EXPECT_EQ(g, MakeEqualizerResponse(step, 44100));
    EXPECT_EQ(g[289], 50);
    EXPECT_EQ(g[290], 90);
    // One point, or none, is flat at its level (unity for none).
    EXPECT_EQ(MakeEqualizerResponse(Points({{90, 3}}), 44100)[0], 3);
    EXPECT_EQ(MakeEqualizerResponse(Points({}), 44100)[1000], 128);
}

// The bands sample the response from 0 Hz to half the rate, the two ends weighing half.
TEST(EqualizerTapsTest, TapsAreTheCosineSumOverTheBandsAndTheTopEnd) {
    EqualizerResponse random{};
    std::mt19937 engine(7);
    for (std::uint8_t& g : random) {
        g = static_cast<std::uint8_t>(engine());
    }
    for (const EqualizerResponse& response :
         {MakeEqualizerResponse(DipAround1kHz(), 44100), random}) {
        const EqualizerTaps taps = MakeEqualizerTaps(response);
        for (int n : {0, 1, 2, 3, 5, 64, 511, 1000, 1365, 2046, 2047}) {
            double sum = 0.0;
            for (int k = 0; k <= 2048; ++k) {
                const double level = response[std::min(k, 2047)];
                const double weight = k == 0 || k == 2048 ? 0.5 : 1.0;
                sum += weight * std::cos(n * k * std::numbers::pi / 2048) * level;
            }
            EXPECT_EQ(taps[n], (static_cast<std::int32_t>(std::trunc(sum)) + 4) >> 3) << n;
        }
    }
}

// The default curve lifted 0 Hz by 6 dB and took half the rate to nothing. Flat now passes every
// frequency; a drawn curve passes through its table at the bands.
TEST(EqualizerTapsTest, AFlatCurveLeavesEveryFrequencyAsItWas) {
    const EqualizerTaps flat = MakeEqualizerTaps(MakeEqualizerResponse(PointList{}, 44100));
    for (int j = 0; j <= 1024; ++j) {
        const double omega = std::numbers::pi * j / 1024;
        ASSERT_NEAR(20 * std::log10(std::abs(TapsGain(flat, omega))), 0.0, 0.1) << "ω " << omega;
    }
    const EqualizerResponse dip = MakeEqualizerResponse(DipAround1kHz(), 44100);
    const EqualizerTaps taps = MakeEqualizerTaps(dip);
    for (int k : {0, 1, 50, 79, 90, 108, 120, 1000, 2047}) {
        EXPECT_NEAR(TapsGain(taps, std::numbers::pi * k / 2048), dip[k] / 128.0, 0.01) << k;
    }

    // 0 Hz through the source: a constant comes out as it went in.
    const std::vector<Sample> level(20000, 12345);
    LSRCEq eq(testing::MemorySource(level, 44100, 1), MakeEqualizerResponse(PointList{}, 44100));
    EXPECT_EQ(ReadInPieces(eq, 20000), level);
}

TEST(EqualizerKernelTest, VectorSumsEqualAPlainWrappingSum) {
    const std::vector<Sample> taps = RandomSamples(kEqualizerTaps, INT32_MAX, 11);
    for (std::int32_t frames : {1, 7, 31, 32, 33, 64, 100, 257}) {
        // Exactly the frames the kernel may read, so that a sanitizer sees any read beyond them.
        const std::vector<Sample> input = RandomSamples(
            static_cast<std::size_t>(frames + 2 * kEqualizerReach), INT32_MAX, frames);
        std::vector<std::uint32_t> sums(static_cast<std::size_t>(frames));
        EqualizerSums(taps.data(), input.data(), frames, sums.data());
        for (std::int32_t f = 0; f < frames; ++f) {
            const Sample* x = input.data() + kEqualizerReach + f;
            auto sum = static_cast<std::uint32_t>(taps[0]) * static_cast<std::uint32_t>(x[0]);
            for (int n = 1; n < kEqualizerTaps; ++n) {
                sum += static_cast<std::uint32_t>(taps[n]) *
                       (static_cast<std::uint32_t>(x[-n]) + static_cast<std::uint32_t>(x[n]));
            }
            ASSERT_EQ(sums[f], sum) << frames << " frames, frame " << f;
        }
    }
}

TEST(EqualizerSourceTest, AFlatTablePassesEverySampleCutToTheBufferScale) {
    constexpr std::int32_t kFrames = 20000;  // three blocks
    const EqualizerResponse flat = MakeEqualizerResponse(PointList{}, 44100);
    // 16-bit input is taken as it is; full scale is cut by 4 bits; a sample of −2^31 needs a
    // shift of 17, and the sums are then shifted up by 2 instead of down.
    for (const auto& [bound, shift] : {std::pair{32767, 0}, {FULL_SCALE, 4}, {INT32_MAX, 17}}) {
        for (int channels : {1, 2}) {
            SCOPED_TRACE(::testing::Message() << "shift " << shift << ", " << channels << " ch");
            std::vector<Sample> input = RandomSamples(static_cast<std::size_t>(kFrames) * channels,
                                                      bound, shift + channels);
            for (std::size_t i = 0; shift == 17 && i < input.size(); i += 4001) {
                input[i] = INT32_MIN;  // in every buffer
            }
            LSRCEq eq(testing::MemorySource(input, 44100, channels), flat);
            EXPECT_EQ(eq.GetLength(), kFrames);
            ASSERT_EQ(ReadInPieces(eq, kFrames), FlatTableOutput(input, shift));
            EXPECT_EQ(eq.GetPosition(), kFrames);

            // A seek starts afresh, with silence before the new frame.
            eq.Seek(1234);
            EXPECT_EQ(eq.GetPosition(), 1234);
            const std::vector<Sample> rest(input.begin() + 1234 * channels, input.end());
            ASSERT_EQ(ReadInPieces(eq, kFrames - 1234), FlatTableOutput(rest, shift));
        }
    }
}

TEST(EqualizerSourceTest, MoreThanTwoChannelsPassThroughAsRead) {
    const std::vector<Sample> input = RandomSamples(3 * 10000, FULL_SCALE, 5);
    LSRCEq eq(testing::MemorySource(input, 44100, 3),
              MakeEqualizerResponse(DipAround1kHz(), 44100));
    EXPECT_EQ(ReadInPieces(eq, 10000), input);
    EXPECT_EQ(eq.GetPosition(), 10000);
}

class EqualizerProcessTest : public testing::DocumentTest {
  protected:
    // The gain in dB the equalizer gives a sine of `frequency` Hz, away from the ends.
    double GainDb(const PointList& points, double frequency) {
        constexpr std::int32_t kRate = 44100;
        const std::vector<Sample> sine = testing::Sine(frequency, 20000, kRate, kRate);
        LCutListAudio document = FromSamples(sine, 1, kRate);
        EfEqualiser eq(document, {0, kRate}, points);
        EXPECT_EQ(testing::RunProcess(eq), PROCESS_DONE);
        return 20 * std::log10(testing::Rms(ReadList(document), 1, 4096, kRate - 4096) /
                               testing::Rms(sine, 1, 4096, kRate - 4096));
    }
};

TEST_F(EqualizerProcessTest, ADipAt1kHzLowersThatBandAndPassesTheOthers) {
    EXPECT_NEAR(GainDb(DipAround1kHz(), 1000), -12.04, 0.2);  // y 32: a quarter
    EXPECT_NEAR(GainDb(DipAround1kHz(), 100), 0.0, 0.1);
    EXPECT_NEAR(GainDb(DipAround1kHz(), 5000), 0.0, 0.1);
    EXPECT_NEAR(GainDb(Points({{0, 255}, {255, 255}}), 3000), 5.98, 0.1);  // y 255: 1.99 times
}

TEST_F(EqualizerProcessTest, TheSelectionKeepsItsLengthAndLooksAheadIntoTheDocument) {
    struct Case {
        std::int32_t length, start, end;
    };
    // Selections shorter than the filter's reach, inside the document and up to its end, and
    // one across several blocks.
    for (const Case& range :
         {Case{10000, 3000, 4000}, Case{1500, 0, 1500}, Case{40000, 5000, 35000}}) {
        for (int channels : {1, 2}) {
            SCOPED_TRACE(::testing::Message() << range.start << ".." << range.end << " of "
                                              << range.length << ", " << channels << " ch");
            const std::vector<Sample> input =
                RandomSamples(static_cast<std::size_t>(range.length) * channels, 32767, 9);
            LCutListAudio document = FromSamples(input, channels);
            EfEqualiser eq(document, {range.start, range.end}, PointList{});
            ASSERT_EQ(testing::RunProcess(eq), PROCESS_DONE);
            // Nothing before the selection is heard; everything after it, to the document's
            // end, is.
            const std::vector<Sample> heard(input.begin() + range.start * channels, input.end());
            const std::vector<Sample> filtered = FlatTableOutput(heard, 0);
            std::vector<Sample> expected = input;
            std::copy_n(filtered.begin(), (range.end - range.start) * channels,
                        expected.begin() + range.start * channels);
            ASSERT_EQ(document.GetLength(), range.length);
            ASSERT_EQ(ReadList(document), expected);
        }
    }
}

TEST_F(EqualizerProcessTest, CancelledEmptyAndReversedRunsLeaveTheDocumentAlone) {
    LCutListAudio document = Staircase(30000, 2);
    const std::vector<Sample> before = ReadList(document);
    testing::CancelAfter cancel(2);
    EfEqualiser cancelled(document, {0, 30000}, DipAround1kHz());
    EXPECT_EQ(testing::RunProcess(cancelled, &cancel), PROCESS_STOPPED);
    EfEqualiser reversed(document, {200, 100}, DipAround1kHz());
    EXPECT_EQ(testing::RunProcess(reversed), PROCESS_DONE);
    EfEqualiser empty(document, {200, 200}, DipAround1kHz());
    EXPECT_EQ(testing::RunProcess(empty), PROCESS_DONE);
    EXPECT_EQ(ReadList(document), before);
}

}  // namespace
}  // namespace sonvara
