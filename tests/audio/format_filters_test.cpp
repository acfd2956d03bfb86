#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>

#include "audio/convert_channels.h"
#include "audio/convert_rate.h"
#include "audio/filter_makers.h"
#include "audio/peak_limit.h"
#include "audio/split_multiply.h"
#include "tests/audio/signals.h"

namespace sonvara {
namespace {

using testing::MemorySource;
using testing::ReadAll;
using testing::Sine;

TEST(RateRatio, SearchFindsTheSmallestGoodFraction) {
    struct Case {
        int from, to, q, p;
    };
    for (Case c : {Case{48000, 44100, 34, 37}, Case{11025, 44100, 4, 1}, Case{44100, 22050, 1, 2},
                   Case{8000, 44100, 11, 2}, Case{44100, 16000, 37, 102}, Case{16000, 8000, 1, 2},
                   Case{44100, 48000, 37, 34}}) {
        RateRatio ratio = FindRateRatio(static_cast<double>(c.from) / c.to);
        EXPECT_EQ(ratio.q, c.q) << c.from << " → " << c.to;
        EXPECT_EQ(ratio.p, c.p) << c.from << " → " << c.to;
    }
}

TEST(RateMaker, ReturnsTheSourceItselfOrOneOrTwoConverters) {
    LSoundSourceRef source = MemorySource(std::vector<Sample>(100), 44100);
    EXPECT_EQ(LRateFilterMaker(44100).Make(source), source);
    LSoundSourceRef error_source;
    EXPECT_EQ(LRateFilterMaker(8000).Make(error_source), error_source);

    LSoundSourceRef one = LRateFilterMaker(22050).Make(source);
    auto* single = dynamic_cast<LSRCConvertRate*>(one.Get());
    ASSERT_NE(single, nullptr);
    EXPECT_EQ(single->Ratio().q, 1);
    EXPECT_EQ(single->Ratio().p, 2);

    // 8000 is below a quarter of 44100: 44100 → 16000 with the steeper cut-off, then → 8000.
    LSoundSourceRef two = LRateFilterMaker(8000).Make(source);
    auto* second = dynamic_cast<LSRCConvertRate*>(two.Get());
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->GetSampleRate(), 8000);
    EXPECT_EQ(second->Ratio().q, 1);
    EXPECT_EQ(second->Ratio().p, 2);
    EXPECT_EQ(two->GetLength(), 18);  // 100 frames at 44100 → 36 at 16000 → 18

    LSRCConvertRate first(source, 16000, true);
    EXPECT_EQ(first.Ratio().q, 37);
    EXPECT_EQ(first.Ratio().p, 102);
    LSRCConvertRate plain(source, 16000, false);
    EXPECT_LT(first.Taps(0)[31], plain.Taps(0)[31]) << "the pre-stage cut-off is lower";
}

TEST(RateConverter, ConstructionRules) {
    LSRCConvertRate bad_target(MemorySource({}, 44100), 0);
    EXPECT_TRUE(bad_target.IsError());
    EXPECT_EQ(bad_target.GetSampleRate(), 44100);

    // The declared largest sample doubles when it is small enough to double.
    EXPECT_EQ(LSRCConvertRate(MemorySource({}, 44100), 48000).GetMaxSample(), 2 * FULL_SCALE);
    EXPECT_EQ(LSRCConvertRate(MemorySource({}, 44100, 1, 0x200000), 48000).GetMaxSample(),
              0x200000);

    // Far beyond what 255 phases can express: an error, not a division by zero or a hang.
    LSRCConvertRate extreme(MemorySource(std::vector<Sample>(10), 10), 96000);
    EXPECT_TRUE(extreme.IsError());
    std::vector<Sample> out(50, 1);
    extreme.Read(out.data(), 50);
    EXPECT_EQ(out, std::vector<Sample>(50, 0));
}

TEST(RateConverter, TapsOfEveryPhaseSumToAboutUnity) {
    for (auto [from, to] :
         {std::pair{48000, 44100}, std::pair{8000, 44100}, std::pair{44100, 22050}}) {
        LSRCConvertRate converter(MemorySource({}, from), to);
        for (int phase = 0; phase < converter.Ratio().q; ++phase) {
            const std::int32_t* taps = converter.Taps(phase);
            std::int64_t sum =
                std::accumulate(taps, taps + LSRCConvertRate::kTaps, std::int64_t{0});
            EXPECT_NEAR(sum, 65536, 65536 * 0.01) << from << " → " << to << " phase " << phase;
        }
    }
}

TEST(RateConverter, LengthPositionAndSeekFollowTheRatio) {
    LSRCConvertRate half(MemorySource(std::vector<Sample>(44100), 44100), 22050);
    EXPECT_EQ(half.GetLength(), 22050);
    EXPECT_EQ(half.GetPosition(), 0);
    // 48000 → 44100 runs at 37/34, so the length is 48000 × 34 ÷ 37.
    LSRCConvertRate down(MemorySource(std::vector<Sample>(48000), 48000), 44100);
    EXPECT_EQ(down.GetLength(), 44108);
    LSRCConvertRate up(MemorySource(std::vector<Sample>(8000), 8000), 44100);
    EXPECT_EQ(up.GetLength(), 8000 * 11 / 2);

    // The position is the number of the next frame, after a seek and after reads of any size.
    for (LSRCConvertRate* converter : {&half, &down, &up}) {
        for (std::int32_t t : {0, 1, 33, 34, 5000, 12345}) {
            converter->Seek(t);
            EXPECT_EQ(converter->GetPosition(), t) << converter->Ratio().q;
            std::int32_t expected = t;
            for (std::int32_t read : {1, 2, 37, 8191, 8192, 20000}) {
                std::vector<Sample> block(static_cast<std::size_t>(read));
                converter->Read(block.data(), read);
                expected += read;
                ASSERT_EQ(converter->GetPosition(), expected)
                    << converter->Ratio().q << " after " << read;
            }
        }
    }
}

TEST(RateConverter, ReadingAfterASeekGivesTheSameFramesAsReadingThrough) {
    // Quiet enough that no block needs a shift, so both paths compute the same integers.
    auto signal = Sine(997, 20000, 44100, 3 * 44100, 2);
    for (auto [to, seek] :
         {std::pair{48000, 20000}, std::pair{22050, 9000}, std::pair{8000, 3001}}) {
        LSoundSourceRef through = LRateFilterMaker(to).Make(MemorySource(signal, 44100, 2));
        LSoundSourceRef seeking = LRateFilterMaker(to).Make(MemorySource(signal, 44100, 2));
        auto all = ReadAll(*through, seek + 500);
        seeking->Seek(seek);
        auto tail = ReadAll(*seeking, 500);
        EXPECT_TRUE(std::equal(tail.begin(), tail.end(), all.begin() + 2 * seek)) << to;
    }
}

TEST(RateConverter, AddsNoDelay) {
    std::vector<Sample> impulse(8000, 0);
    impulse[4000] = 100000;
    LSRCConvertRate half(MemorySource(impulse, 44100), 22050);
    auto out = ReadAll(half, 4000);
    EXPECT_EQ(std::max_element(out.begin(), out.end()) - out.begin(), 2000);
}

// A sine converted keeps its frequency and its level; what lies above the new band is removed.
TEST(RateConverter, KeepsFrequencyAndLevelAndRemovesWhatNoLongerFits) {
    const double amplitude = 0.5 * FULL_SCALE;
    for (int to : {48000, 8000}) {
        for (int channels : {1, 2}) {
            LSoundSourceRef converted = LRateFilterMaker(to).Make(
                MemorySource(Sine(1000, amplitude, 44100, 2 * 44100, channels), 44100, channels));
            auto out = ReadAll(*converted, 2 * to);
            // One second from the middle, away from the edges.
            std::int32_t first = to / 2;
            EXPECT_NEAR(testing::RisingZeroCrossings(out, channels, first, first + to), 1000, 1);
            double level = testing::Decibels(testing::Rms(out, channels, first, first + to) /
                                             (amplitude / std::sqrt(2.0)));
            EXPECT_NEAR(level, 0.0, 0.1) << "to " << to << " Hz, " << channels << " channels";
            if (channels == 2) {
                EXPECT_EQ(testing::Rms(out, 2, first, first + to, 1),
                          testing::Rms(out, 2, first, first + to, 0));
            }
        }
    }
    struct Case {
        int from, to;
        double tone;
    };
    for (Case c : {Case{44100, 8000, 6000}, Case{48000, 22050, 15000}, Case{44100, 32000, 20000}}) {
        LSoundSourceRef converted = LRateFilterMaker(c.to).Make(
            MemorySource(Sine(c.tone, amplitude, c.from, c.from), c.from));
        auto out = ReadAll(*converted, c.to);
        double level = testing::Decibels(testing::Rms(out, 1, c.to / 4, 3 * c.to / 4) /
                                         (amplitude / std::sqrt(2.0)));
        EXPECT_LT(level, -40.0) << c.tone << " Hz at " << c.from << " → " << c.to;
    }
}

// The converter's integers are part of every stored conversion: a faster inner sum must give
// exactly the same frames. The hashes were taken from the plain 64-bit sum of products; the cases
// cover a loud block whose scaled samples reach +32768, a sum past the 32-bit range (limited),
// quiet blocks, both channel counts, up and down, and the two-stage path.
TEST(RateConverter, GivesTheSameIntegersAsThePlainSumOfProducts) {
    struct Case {
        int from, to, channels;
        Sample peak;
        std::uint64_t hash;
    };
    const Case cases[] = {
        {44100, 48000, 2, FULL_SCALE, 17196583278406601867ull},
        {44100, 8000, 1, FULL_SCALE, 12263632907188718809ull},
        {8000, 44100, 2, 3000, 17147655281964263886ull},
        {22050, 44100, 1, 65535, 8672102303759824331ull},
        {48000, 44100, 2, 1 << 30, 16799240502933021643ull},
    };
    for (const Case& c : cases) {
        // A chord and a noise burst at the case's peak; the first second of a loud case is
        // a full-scale square, which drives the filter's overshoot past the peak.
        std::vector<Sample> samples;
        std::uint32_t noise = 12345;
        const std::int32_t frames = 2 * c.from;
        for (std::int32_t f = 0; f < frames; ++f) {
            for (int ch = 0; ch < c.channels; ++ch) {
                noise = noise * 1664525u + 1013904223u;
                double x = 0.45 * std::sin(f * 0.031 * (ch + 1)) + 0.3 * std::sin(f * 0.47) +
                           0.25 * ((noise >> 8) / 8388608.0 - 1.0);
                if (f < c.from && (f / 37) % 2 == 0) {
                    x = (f / 37) % 4 == 0 ? 1.0 : -1.0;
                }
                samples.push_back(static_cast<Sample>(std::lround(x * c.peak)));
            }
        }
        LSoundSourceRef converted =
            LRateFilterMaker(c.to).Make(MemorySource(samples, c.from, c.channels, c.peak));
        std::uint64_t hash = 14695981039346656037ull;
        std::int64_t loudest = 0;
        for (std::int32_t read = 0; read < 2 * c.to; read += 777) {
            for (Sample s : ReadAll(*converted, 777)) {
                hash = (hash ^ static_cast<std::uint32_t>(s)) * 1099511628211ull;
                loudest = std::max(loudest, std::abs(std::int64_t{s}));
            }
        }
        EXPECT_EQ(hash, c.hash) << c.from << " → " << c.to << ", peak " << c.peak;
        // The square's overshoot stays within half the peak, at every block shift.
        EXPECT_LE(loudest, std::int64_t{c.peak} * 3 / 2) << c.from << " → " << c.to;
    }
}

TEST(ChannelConverter, DuplicatesMonoAndKeepsTheLeftOfStereo) {
    LSoundSourceRef mono = MemorySource({1, 2, 3}, 8000);
    EXPECT_EQ(LChannelsFilterMaker(1).Make(mono), mono);
    LSoundSourceRef stereo = LChannelsFilterMaker(2).Make(mono);
    EXPECT_EQ(ReadAll(*stereo, 3), (std::vector<Sample>{1, 1, 2, 2, 3, 3}));
    EXPECT_EQ(stereo->GetPosition(), 3);

    LSoundSourceRef back = LChannelsFilterMaker(1).Make(MemorySource({1, -1, 2, -2}, 8000, 2));
    EXPECT_EQ(ReadAll(*back, 2), (std::vector<Sample>{1, 2}));
    back->Seek(1);
    EXPECT_EQ(ReadAll(*back, 1), (std::vector<Sample>{2}));

    // Larger than one work block.
    std::vector<Sample> long_mono(20000);
    std::iota(long_mono.begin(), long_mono.end(), 0);
    LSoundSourceRef long_stereo = LChannelsFilterMaker(2).Make(MemorySource(long_mono, 8000));
    auto out = ReadAll(*long_stereo, 20000);
    EXPECT_EQ(out[2 * 19999], 19999);
    EXPECT_EQ(out[2 * 19999 + 1], 19999);
}

TEST(PeakLimiter, BlockLengthIsAThirtyFifthOfASecondWithinLimits) {
    for (auto [rate, frames] : {std::pair{8000, 228}, std::pair{11025, 315}, std::pair{44100, 1260},
                                std::pair{700, 20}, std::pair{400000, 8192}}) {
        LSRCPeakLimit limiter(MemorySource({}, rate), FULL_SCALE);
        EXPECT_EQ(limiter.BlockFrames(), frames) << rate;
    }
}

TEST(PeakLimiter, IsMadeOnlyForSourcesThatCanExceedTheLimit) {
    LSoundSourceRef file_like = MemorySource({}, 44100, 1, FULL_SCALE);
    EXPECT_EQ(LPeakLimitFilterMaker(FULL_SCALE).Make(file_like), file_like);
    LSoundSourceRef unknown = MemorySource({}, 44100, 1, kUnknownMaxSample);
    EXPECT_NE(LPeakLimitFilterMaker(FULL_SCALE).Make(unknown), unknown);
    EXPECT_EQ(LSRCPeakLimit::BlockGain(FULL_SCALE, FULL_SCALE), kUnityGain);
    EXPECT_NEAR(LSRCPeakLimit::BlockGain(2 * FULL_SCALE, FULL_SCALE), kUnityGain / 2,
                kUnityGain / 1000);
}

TEST(PeakLimiter, ALoudSquareWaveNeverExceedsTheLimitWhateverTheReadSize) {
    for (int channels : {1, 2}) {
        for (std::int32_t read_size : {1, 100, 8191, 8192}) {
            std::vector<Sample> square;
            for (int f = 0; f < 30000; ++f) {
                Sample level = (f / 300) % 2 ? 4 * FULL_SCALE : -3 * FULL_SCALE;
                if (f > 20000) {
                    level /= 20;  // quiet again at the end
                }
                square.insert(square.end(), channels, level);
            }
            LSRCPeakLimit limiter(MemorySource(square, 44100, channels, kUnknownMaxSample),
                                  FULL_SCALE);
            std::vector<Sample> out;
            std::vector<Sample> block(static_cast<std::size_t>(read_size) * channels);
            while (limiter.GetPosition() < 30000) {
                limiter.Read(block.data(), read_size);
                out.insert(out.end(), block.begin(), block.end());
            }
            auto [low, high] = std::minmax_element(out.begin(), out.end());
            EXPECT_LE(*high, FULL_SCALE) << channels << " channels, reads of " << read_size;
            EXPECT_GE(*low, -FULL_SCALE) << channels << " channels, reads of " << read_size;
            EXPECT_GT(*high, FULL_SCALE * 0.9) << "limited, not silenced";
            // The quiet end comes back to unity gain: samples pass unchanged.
            EXPECT_EQ(out[static_cast<std::size_t>(29000) * channels],
                      square[static_cast<std::size_t>(29000) * channels]);
        }
    }
}

TEST(PeakLimiter, TurnsDownBeforeALoudBlockArrivesAndPassesQuietAudioUnchanged) {
    // A full-scale block, then a block twice as loud.
    const std::int32_t block = 1260;
    std::vector<Sample> samples(static_cast<std::size_t>(4 * block), FULL_SCALE);
    std::fill(samples.begin() + block, samples.begin() + 2 * block, 2 * FULL_SCALE);
    LSRCPeakLimit limiter(MemorySource(samples, 44100, 1, kUnknownMaxSample), FULL_SCALE);
    auto out = ReadAll(limiter, 4 * block);
    EXPECT_NEAR(out[0], FULL_SCALE, 16);
    EXPECT_LT(out[block - 1], FULL_SCALE * 0.6) << "the gain falls inside the block before";
    EXPECT_LE(out[block + 10], FULL_SCALE);

    auto quiet = Sine(300, 0.9 * FULL_SCALE, 44100, 20000);
    LSRCPeakLimit passing(MemorySource(quiet, 44100, 1, kUnknownMaxSample), FULL_SCALE);
    EXPECT_EQ(ReadAll(passing, 20000), quiet);
}

TEST(PeakLimiter, PositionTrailsTheUpstreamUntilPrimedAndSeekPrimesAgain) {
    auto signal = Sine(300, 0.5 * FULL_SCALE, 8000, 8000);
    LSRCPeakLimit limiter(MemorySource(signal, 8000, 1, kUnknownMaxSample), FULL_SCALE);
    EXPECT_EQ(limiter.GetPosition(), 0);
    EXPECT_EQ(limiter.GetLength(), 8000);
    std::vector<Sample> block(100);
    limiter.Read(block.data(), 100);
    EXPECT_EQ(limiter.GetPosition(), 100);
    limiter.Seek(5000);
    EXPECT_EQ(limiter.GetPosition(), 5000);
    limiter.Read(block.data(), 100);
    EXPECT_TRUE(std::equal(block.begin(), block.end(), signal.begin() + 5000));
}

}  // namespace
}  // namespace sonvara
