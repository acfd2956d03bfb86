// The spectral stages on hand-made granules, for what LAME never writes: intensity stereo (the
// positions' gains, and which lines get intensity stereo, middle/side or neither) and mixed
// blocks (requantization and reordering of their long and short parts).

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <random>
#include <vector>

#include "codecs/mp3/mp3_requantize.h"
#include "codecs/mp3/mp3_stereo.h"
#include "codecs/mp3/mp3_synthesis.h"
#include "codecs/mp3/mp3_tables.h"
#include "core/byte_order.h"

namespace sonvara {
namespace {

TEST(Mp3Tables, BandsCoverTheGranuleAndTheSynthesisWindowHasItsSymmetry) {
    for (const mp3::ScaleFactorBands& bands : mp3::kScaleFactorBands) {
        EXPECT_EQ(bands.long_start.front(), 0);
        EXPECT_EQ(bands.long_start.back(), mp3::kGranuleLines);
        EXPECT_TRUE(
            std::is_sorted(bands.long_start.begin(), bands.long_start.end(), std::less_equal<>()));
        EXPECT_EQ(bands.short_start.back(), mp3::kGranuleLines / 3);
        EXPECT_TRUE(std::is_sorted(bands.short_start.begin(), bands.short_start.end(),
                                   std::less_equal<>()));
    }
    // D[512 - i] = -D[i], except at multiples of 64 where the sign stays; D[256] = 1.144989014.
    const auto& d = mp3::kSynthesisWindow;
    EXPECT_EQ(d[0], 0);
    EXPECT_EQ(d[256], 75038);
    for (std::size_t i = 1; i < 512; ++i) {
        ASSERT_EQ(d[512 - i], i % 64 == 0 ? d[i] : -d[i]) << i;
    }
}

TEST(Mp3Stereo, Mpeg1IntensityPositionsSplitBandsByTheTangentRatio) {
    for (int position = 0; position < 7; ++position) {
        SCOPED_TRACE(position);
        const std::optional<mp3::IntensityGains> gains = mp3::Mpeg1Intensity(position);
        ASSERT_TRUE(gains);
        EXPECT_NEAR(gains->left + gains->right, 1.0, 1e-6);
        if (position < 6) {
            EXPECT_NEAR(gains->left / gains->right, std::tan(position * std::numbers::pi / 12),
                        1e-5);
        }
    }
    EXPECT_NEAR(mp3::Mpeg1Intensity(0)->left, 0.0, 1e-7);   // all in the right channel
    EXPECT_NEAR(mp3::Mpeg1Intensity(3)->left, 0.5, 1e-7);   // centre
    EXPECT_NEAR(mp3::Mpeg1Intensity(6)->right, 0.0, 1e-7);  // all in the left channel
    EXPECT_FALSE(mp3::Mpeg1Intensity(7));                   // not intensity-coded
}

TEST(Mp3Stereo, LsfIntensityPositionsAttenuateOneChannelInSteps) {
    const double quarter = std::pow(2.0, -0.25);
    const double half = std::pow(2.0, -0.5);
    const struct {
        int position;
        int scale;
        double left;
        double right;
    } cases[] = {
        {0, 0, 1.0, 1.0},     {1, 0, quarter, 1.0},
        {2, 0, 1.0, quarter}, {5, 0, quarter * quarter * quarter, 1.0},
        {1, 1, half, 1.0},    {4, 1, 1.0, 0.5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.position * 2 + c.scale);
        const std::optional<mp3::IntensityGains> gains = mp3::LsfIntensity(c.position, 15, c.scale);
        ASSERT_TRUE(gains);
        EXPECT_NEAR(gains->left, c.left, 1e-6);
        EXPECT_NEAR(gains->right, c.right, 1e-6);
    }
    EXPECT_FALSE(mp3::LsfIntensity(15, 15, 0));
    EXPECT_FALSE(mp3::LsfIntensity(3, 3, 1));
    EXPECT_TRUE(mp3::LsfIntensity(3, 7, 1));
}

mp3::FrameHeader JointHeader(std::uint32_t word) {
    std::uint8_t bytes[4] = {};
    StoreBE32(bytes, word);
    return *mp3::ParseHeader(bytes);
}

TEST(Mp3Stereo, LongBlocksUseIntensityAboveTheRightChannelsLastNonZeroBand) {
    // MPEG-1, 44.1 kHz, joint stereo with middle/side and intensity.
    const mp3::FrameHeader header = JointHeader(0xFFFB9070);
    const mp3::ScaleFactorBands& bands = mp3::kScaleFactorBands[0];
    mp3::GranuleChannel gc;
    mp3::ScaleFactors sf;
    for (std::size_t band = 0; band < 21; ++band) {
        sf.long_bands[band] = 3;
    }
    sf.long_bands[5] = 7;   // lines 20..23 not intensity-coded: middle/side
    sf.long_bands[20] = 6;  // and band 21 (lines 418..575) follows band 20
    mp3::QuantizedSpectrum right_quantized{};
    right_quantized[10] = 2;  // band 2 (lines 8..11) is the last with a non-zero line
    mp3::Spectrum left;
    mp3::Spectrum right;
    left.fill(1.0F);
    right.fill(0.0F);
    right[10] = 0.25F;
    mp3::ProcessJointStereo(header, gc, sf, bands, right_quantized, left, right);
    const float root = static_cast<float>(std::numbers::sqrt2);
    EXPECT_FLOAT_EQ(left[10], 1.25F / root);
    EXPECT_FLOAT_EQ(right[10], 0.75F / root);
    EXPECT_FLOAT_EQ(left[0], 1.0F / root);
    EXPECT_FLOAT_EQ(right[11], 1.0F / root);
    EXPECT_FLOAT_EQ(left[12], 0.5F);  // band 3, centre
    EXPECT_FLOAT_EQ(right[19], 0.5F);
    EXPECT_FLOAT_EQ(left[21], 1.0F / root);
    EXPECT_FLOAT_EQ(right[21], 1.0F / root);
    EXPECT_FLOAT_EQ(left[300], 0.5F);    // band 19
    EXPECT_NEAR(left[400], 1.0F, 1e-6);  // band 20
    EXPECT_NEAR(left[418], 1.0F, 1e-6);
    EXPECT_NEAR(right[575], 0.0F, 1e-6);
}

TEST(Mp3Stereo, ShortBlocksFindTheIntensityBoundPerWindow) {
    // MPEG-2, 22.05 kHz, intensity only; short bands 0..12 start at 0,4,8,12,18,... per window.
    const mp3::FrameHeader header = JointHeader(0xFFF38050);
    ASSERT_TRUE(header.Intensity());
    ASSERT_FALSE(header.MiddleSide());
    const mp3::ScaleFactorBands& bands = mp3::kScaleFactorBands[3];
    mp3::GranuleChannel gc;
    gc.window_switching = true;
    gc.block_type = mp3::BlockType::kShort;
    mp3::ScaleFactors sf;
    for (std::size_t band = 0; band < 12; ++band) {
        sf.short_bands[band] = {2, 2, 2};
        sf.short_illegal[band] = 7;
    }
    sf.short_bands[4][2] = 7;  // window 2 of band 4: not intensity-coded
    // Window 0's last non-zero line is in band 1, window 1 has none, window 2 is in band 3.
    mp3::QuantizedSpectrum right_quantized{};
    right_quantized[3 * 4 + 0 * 4 + 1] = 1;
    right_quantized[3 * 12 + 2 * 6 + 5] = -1;
    mp3::Spectrum left;
    mp3::Spectrum right;
    left.fill(1.0F);
    right.fill(0.0F);
    mp3::ProcessJointStereo(header, gc, sf, bands, right_quantized, left, right);
    const float quarter = static_cast<float>(std::pow(2.0, -0.25));
    auto line = [&](int band, int window, int j) {
        const int width = bands.short_start[static_cast<std::size_t>(band) + 1] -
                          bands.short_start[static_cast<std::size_t>(band)];
        return static_cast<std::size_t>(3 * bands.short_start[static_cast<std::size_t>(band)] +
                                        window * width + j);
    };
    EXPECT_FLOAT_EQ(right[line(1, 0, 0)], 0.0F);     // at or below the bound: as coded
    EXPECT_FLOAT_EQ(right[line(2, 0, 3)], quarter);  // window 0 from band 2
    EXPECT_FLOAT_EQ(right[line(0, 1, 0)], quarter);  // window 1 from band 0
    EXPECT_FLOAT_EQ(right[line(3, 2, 5)], 0.0F);     // window 2 up to band 3
    EXPECT_FLOAT_EQ(right[line(4, 2, 0)], 0.0F);     // the illegal position
    EXPECT_FLOAT_EQ(right[line(5, 2, 0)], quarter);
    EXPECT_FLOAT_EQ(right[line(12, 1, 0)], quarter);  // band 12 follows band 11
    EXPECT_FLOAT_EQ(left[line(12, 1, 0)], 1.0F);
}

TEST(Mp3Spectrum, MixedBlocksRequantizeLongBandsThenShortWindows) {
    // MPEG-1, 44.1 kHz: long bands 0..7 cover lines 0..35, short bands from 3 the rest.
    const mp3::FrameHeader header = JointHeader(0xFFFB9000);
    const mp3::ScaleFactorBands& bands = mp3::kScaleFactorBands[0];
    mp3::GranuleChannel gc;
    gc.global_gain = 210;  // a gain of 1
    gc.window_switching = true;
    gc.block_type = mp3::BlockType::kShort;
    gc.mixed_block = true;
    gc.subblock_gain = {0, 1, 0};  // window 1 down by 2^-2
    gc.scalefac_scale = false;     // scale factors in steps of 2^-1/2
    mp3::ScaleFactors sf;
    sf.long_bands[7] = 2;           // lines 30..35 down by 2^-1
    sf.short_bands[3] = {0, 0, 4};  // short band 3, window 2 down by 2^-2
    sf.short_bands[2] = {6, 6, 6};  // inside the long part: not used
    mp3::QuantizedSpectrum q{};
    q.fill(8);  // 8^(4/3) = 16
    q[1] = -8;
    mp3::Spectrum out{};
    mp3::Requantize(q, header, gc, sf, bands, out);
    EXPECT_FLOAT_EQ(out[0], 16.0F);
    EXPECT_FLOAT_EQ(out[1], -16.0F);
    EXPECT_FLOAT_EQ(out[29], 16.0F);
    EXPECT_FLOAT_EQ(out[30], 8.0F);
    EXPECT_FLOAT_EQ(out[36], 16.0F);         // short band 3 (width 4), window 0
    EXPECT_FLOAT_EQ(out[36 + 4], 4.0F);      // window 1: subblock gain
    EXPECT_FLOAT_EQ(out[36 + 8], 4.0F);      // window 2: scale factor
    EXPECT_FLOAT_EQ(out[48 + 6 + 1], 4.0F);  // short band 4 (width 6), window 1

    // Preflag adds the pretab to long bands: band 17 (lines 196..237) gets 3 more steps.
    mp3::GranuleChannel plain;
    plain.global_gain = 214;  // 2^1
    plain.preflag = true;
    plain.scalefac_scale = true;  // steps of 2^-1
    mp3::ScaleFactors none;
    mp3::Requantize(q, header, plain, none, bands, out);
    EXPECT_FLOAT_EQ(out[0], 32.0F);
    EXPECT_FLOAT_EQ(out[200], 4.0F);
}

TEST(Mp3Spectrum, ShortBlocksReorderFromBandOrderToWindowOrderMixedKeepTheLongPart) {
    const mp3::FrameHeader header = JointHeader(0xFFFB9000);
    const mp3::ScaleFactorBands& bands = mp3::kScaleFactorBands[0];
    mp3::GranuleChannel gc;
    gc.window_switching = true;
    gc.block_type = mp3::BlockType::kShort;
    for (const bool mixed : {false, true}) {
        SCOPED_TRACE(mixed);
        gc.mixed_block = mixed;
        mp3::Spectrum spectrum;
        for (std::size_t i = 0; i < spectrum.size(); ++i) {
            spectrum[i] = static_cast<float>(i);
        }
        mp3::ReorderShortBlocks(header, gc, bands, spectrum);
        // Band 0 (lines 0..11, width 4): window 1's first line goes to line 1, window 2's
        // fourth to line 3 * 3 + 2; a mixed block leaves them.
        EXPECT_EQ(spectrum[1], mixed ? 1.0F : 4.0F);
        EXPECT_EQ(spectrum[11], mixed ? 11.0F : 8.0F + 3.0F);
        // Band 3 (lines 36..47, frequencies 12..15): window 1's third value, frequency 14.
        EXPECT_EQ(spectrum[3 * 14 + 1], 36.0F + 4.0F + 2.0F);
        // Band 12 (lines 408..575, width 56): window 2's last value, frequency 191.
        EXPECT_EQ(spectrum[3 * 191 + 2], 575.0F);
        std::vector<float> sorted(spectrum.begin(), spectrum.end());
        std::sort(sorted.begin(), sorted.end());
        for (std::size_t i = 0; i < sorted.size(); ++i) {
            ASSERT_EQ(sorted[i], static_cast<float>(i));
        }
    }
}

TEST(Mp3Synthesis, FactoredMatrixingMatchesTheDirectMatrixToRounding) {
    // Unit impulses in every subband, then random slots.
    std::mt19937 rng(11172);
    std::uniform_real_distribution<float> value(-1.0F, 1.0F);
    for (int trial = 0; trial < 32 + 200; ++trial) {
        float s[32] = {};
        if (trial < 32) {
            s[trial] = 1.0F;
        } else {
            for (float& x : s) {
                x = value(rng);
            }
        }
        float fast[64];
        double direct[64];
        mp3::PolyphaseSynthesis::Matrix(s, fast);
        mp3::PolyphaseSynthesis::MatrixDirect(s, direct);
        // Single-precision rounding: units of 2^-24 per step, on values as large as the sum of
        // the inputs' magnitudes, and grown by the odd half's scale factors (up to 10).
        double magnitude = 0;
        for (float x : s) {
            magnitude += std::abs(x);
        }
        for (std::size_t i = 0; i < 64; ++i) {
            ASSERT_NEAR(fast[i], direct[i], 32 * std::ldexp(magnitude, -24)) << trial << " " << i;
        }
    }
}

TEST(Mp3Synthesis, ADcSubbandGivesASteadyOutputAfterTheWindowFills) {
    // Subband 0 at a constant c is a lowpass-filtered DC: after the 512-sample window has
    // filled, every output sample is c, but for the ripple that the window's rounding to
    // 2^-16 steps leaves (a few parts in 10^5).
    mp3::PolyphaseSynthesis synthesis;
    const float s[32] = {0.5F};
    float out[32];
    for (int slot = 0; slot < 40; ++slot) {
        synthesis.Synthesize(s, out);
        if (slot < 16) {
            continue;
        }
        for (float x : out) {
            ASSERT_NEAR(x, 0.5, 0.5 * 1e-4);
        }
    }
}

}  // namespace
}  // namespace sonvara
