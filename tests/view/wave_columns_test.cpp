#include "view/columns/wave_columns.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <vector>

#include "tests/document/document_fixture.h"

namespace sonvara {
namespace {

class WaveColumnsTest : public testing::DocumentTest {
  protected:
    // A mono list whose block b (256 frames) peaks at +high[b] and -low[b] in its middle.
    static LCutListAudio Blocks(const std::vector<Sample>& high, const std::vector<Sample>& low,
                                int channels = 1) {
        std::vector<Sample> samples(high.size() * 256 * static_cast<std::size_t>(channels), 0);
        for (std::size_t b = 0; b < high.size(); ++b) {
            for (int ch = 0; ch < channels; ++ch) {
                samples[(b * 256 + 100) * static_cast<std::size_t>(channels) +
                        static_cast<std::size_t>(ch)] = high[b];
                samples[(b * 256 + 200) * static_cast<std::size_t>(channels) +
                        static_cast<std::size_t>(ch)] = -low[b];
            }
        }
        return FromSamples(samples, channels);
    }

    static WaveColumns Compute(const LCutListAudio& list, std::int32_t start, std::int32_t length,
                               int width, WaveDrawOptions options = {}) {
        WaveColumns columns;
        ComputeWaveColumns(list, WaveColumnMapping(start, length, width), 0, width, options,
                           columns);
        return columns;
    }

    static std::vector<int> Upper(const WaveColumns& columns, int width) {
        return {columns.upper.begin(), columns.upper.begin() + width};
    }
    static std::vector<int> Lower(const WaveColumns& columns, int width) {
        return {columns.lower.begin(), columns.lower.begin() + width};
    }

    // Replaces the graph file of the list's first cut by records that all hold `value`.
    static void OverwriteGraph(const LCutListAudio& list, std::uint8_t value) {
        const std::string path = list.Records().begin()->cut.GrfFilePath();
        std::ifstream in(path, std::ios::binary | std::ios::ate);
        const auto size = static_cast<std::size_t>(in.tellg());
        in.close();
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << std::string(size, static_cast<char>(value));
    }
};

TEST_F(WaveColumnsTest, MappingRoundsToNearestAndClampsToTheView) {
    const WaveColumnMapping mapping(1000, 400, 100);  // four frames a column
    EXPECT_EQ(mapping.First(), 250);
    EXPECT_EQ(mapping.ColumnOf(1000), 0);
    EXPECT_EQ(mapping.ColumnOf(1001), 0);    // 250.25 rounds down
    EXPECT_EQ(mapping.ColumnOf(1002), 1);    // 250.5 rounds up
    EXPECT_EQ(mapping.ColumnOf(999), 0);     // 249.75 rounds to the first column
    EXPECT_EQ(mapping.ColumnOf(990), -1);    // left of the view
    EXPECT_EQ(mapping.ColumnOf(5000), 100);  // at most the width
    EXPECT_EQ(mapping.FrameOf(1), 1004);
    EXPECT_EQ(mapping.FrameOf(100), 1400);

    // Fewer than eight columns still map as if there were eight.
    EXPECT_EQ(WaveColumnMapping(0, 800, 2).ColumnOf(100), 1);
    EXPECT_EQ(WaveColumnMapping().ColumnOf(0), -1);
    EXPECT_FALSE(WaveColumnMapping(0, 0, 100).HasView());
}

TEST_F(WaveColumnsTest, ShortViewTakesExtremesOfTheSamplesOfEachColumn) {
    // Eight columns of 100 frames over 500 frames of data: each column has its own peak and dip,
    // and the columns past the data read as silence.
    std::vector<Sample> samples(500, 0);
    const Sample highs[] = {0x7FFF0, 0x40000, 0x800, 0x7FF, 0};
    const Sample lows[] = {0x80000, 0x1000, 0, 0x20000, 0};
    for (int c = 0; c < 5; ++c) {
        samples[static_cast<std::size_t>(c * 100 + 10)] = highs[c];
        samples[static_cast<std::size_t>(c * 100 + 90)] = -lows[c];
    }
    const LCutListAudio list = FromSamples(samples, 1);
    const WaveColumns eight = Compute(list, 0, 800, 8);
    EXPECT_EQ(Upper(eight, 8), (std::vector<int>{255, 128, 1, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Lower(eight, 8), (std::vector<int>{255, 2, 0, 64, 0, 0, 0, 0}));

    WaveDrawOptions zoom;
    zoom.vertical_zoom = true;
    const WaveColumns tall = Compute(list, 0, 800, 8, zoom);
    EXPECT_EQ(Upper(tall, 4), (std::vector<int>{255, 255, 8, 7}));
    EXPECT_EQ(Lower(tall, 4), (std::vector<int>{255, 16, 0, 255}));

    // A view that starts later reads from there on.
    const WaveColumns later = Compute(list, 100, 800, 8);
    EXPECT_EQ(Upper(later, 3), (std::vector<int>{128, 1, 0}));
}

TEST_F(WaveColumnsTest, LeftRightModeSeparatesTheChannelsAndMonoFallsBackToPosNeg) {
    std::vector<Sample> stereo(2 * 800, 0);
    stereo[2 * 10] = -0x10000;      // left dips in column 0
    stereo[2 * 20 + 1] = 0x20000;   // right peaks in column 0
    stereo[2 * 110 + 1] = -0x8000;  // right dips in column 1
    const LCutListAudio list = FromSamples(stereo, 2);
    WaveDrawOptions left_right;
    left_right.mode = WaveDisplayMode::kLeftRight;
    const WaveColumns split = Compute(list, 0, 800, 8, left_right);
    EXPECT_EQ(Upper(split, 2), (std::vector<int>{32, 0}));
    EXPECT_EQ(Lower(split, 2), (std::vector<int>{64, 16}));
    const WaveColumns together = Compute(list, 0, 800, 8);
    EXPECT_EQ(Upper(together, 2), (std::vector<int>{64, 0}));
    EXPECT_EQ(Lower(together, 2), (std::vector<int>{32, 16}));

    std::vector<Sample> mono(800, 0);
    mono[10] = 0x10000;
    mono[20] = -0x4000;
    const LCutListAudio mono_list = FromSamples(mono, 1);
    const WaveColumns mono_split = Compute(mono_list, 0, 800, 8, left_right);
    const WaveColumns mono_together = Compute(mono_list, 0, 800, 8);
    EXPECT_EQ(Upper(mono_split, 8), Upper(mono_together, 8));
    EXPECT_EQ(Lower(mono_split, 8), Lower(mono_together, 8));
    EXPECT_EQ(mono_split.upper[0], 32);
    EXPECT_EQ(mono_split.lower[0], 8);
}

TEST_F(WaveColumnsTest, GraphFilesTakeOverOneFrameAbove256FramesPerColumn) {
    // Samples are quiet; the graph file is made to say 100 everywhere, so the two ways differ.
    std::vector<Sample> samples(8 * 256 + 1, 0x800);
    LCutListAudio list = FromSamples(samples, 1);
    OverwriteGraph(list, 100);

    const WaveColumns exact = Compute(list, 0, 8 * 256, 8);
    EXPECT_EQ(Upper(exact, 8), std::vector<int>(8, 1));
    EXPECT_EQ(Lower(exact, 8), std::vector<int>(8, 0));

    const WaveColumns longer = Compute(list, 0, 8 * 256 + 1, 8);
    EXPECT_EQ(Upper(longer, 8), std::vector<int>(8, 100));
    EXPECT_EQ(Lower(longer, 8), std::vector<int>(8, 100));
}

TEST_F(WaveColumnsTest, LongViewFoldsGraphRecordsPerColumnAndAppliesTheCutGain) {
    // 16 blocks, two per column over 8 columns of 512 frames.
    std::vector<Sample> high(16), low(16);
    for (std::size_t b = 0; b < 16; ++b) {
        high[b] = static_cast<Sample>(b + 1) * 0x4000;  // graph byte 8 * (b + 1)
        low[b] = static_cast<Sample>(16 - b) * 0x2000;  // graph byte 4 * (16 - b)
    }
    LCutListAudio list = Blocks(high, low);
    const WaveColumns plain = Compute(list, 0, 16 * 256, 8);
    EXPECT_EQ(Upper(plain, 8), (std::vector<int>{16, 32, 48, 64, 80, 96, 112, 128}));
    EXPECT_EQ(Lower(plain, 8), (std::vector<int>{64, 56, 48, 40, 32, 24, 16, 8}));

    list.Records().begin()->gain = kUnityGain / 2;
    const WaveColumns half = Compute(list, 0, 16 * 256, 8);
    EXPECT_EQ(Upper(half, 8), (std::vector<int>{8, 16, 24, 32, 40, 48, 56, 64}));

    list.Records().begin()->gain = kUnityGain;
    WaveDrawOptions zoom;
    zoom.vertical_zoom = true;
    const WaveColumns tall = Compute(list, 0, 16 * 256, 8, zoom);
    EXPECT_EQ(Upper(tall, 8), (std::vector<int>{128, 255, 255, 255, 255, 255, 255, 255}));
    EXPECT_EQ(Lower(tall, 8).back(), 64);

    // Stereo in left/right mode: channel 0 up, channel 1 down, each its larger byte.
    std::vector<Sample> stereo(2 * 16 * 256, 0);
    for (std::size_t f = 0; f < 16 * 256; ++f) {
        stereo[2 * f] = f % 256 == 5 ? -0x20000 : 0;     // left: byte 64 as a dip
        stereo[2 * f + 1] = f % 256 == 7 ? 0x10000 : 0;  // right: byte 32 as a peak
    }
    const LCutListAudio two = FromSamples(stereo, 2);
    WaveDrawOptions left_right;
    left_right.mode = WaveDisplayMode::kLeftRight;
    const WaveColumns split = Compute(two, 0, 16 * 256, 8, left_right);
    EXPECT_EQ(Upper(split, 8), std::vector<int>(8, 64));
    EXPECT_EQ(Lower(split, 8), std::vector<int>(8, 32));
}

TEST_F(WaveColumnsTest, ColumnsOverCutsOfDifferentGainsShowEachCutAtItsOwnLevel) {
    // Column 0 holds a loud cut at half gain and a quiet one at full gain: the loud one must
    // show at half its graph value, whatever order they come in.
    const LCutListAudio loud = Blocks({0x40000, 0x40000}, {0, 0});   // byte 128
    const LCutListAudio quiet = Blocks({0x10000, 0x10000}, {0, 0});  // byte 32
    for (bool loud_first : {true, false}) {
        LCutListAudio list;
        list.Insert(0, loud_first ? quiet : loud);
        list.Insert(0, loud_first ? loud : quiet);
        for (LCutRecord& record : list.Records()) {
            record.gain = record.cut.Number() == loud.Records().begin()->cut.Number()
                              ? kUnityGain / 2
                              : kUnityGain;
        }
        // 8 columns over 8 * 1024 frames: column 0 spans both cuts (512 frames each).
        const WaveColumns columns = Compute(list, 0, 8 * 1024, 8);
        EXPECT_EQ(columns.upper[0], 64) << loud_first;
        EXPECT_EQ(columns.upper[1], 0) << loud_first;  // past the end of the data
    }
}

TEST_F(WaveColumnsTest, SilenceCutsAreFlatAndLeaveTheirNeighboursAlone) {
    const LCutListAudio a =
        Blocks({0x20000, 0x20000, 0x20000, 0x20000}, {0x8000, 0x8000, 0x8000, 0x8000});
    LCutListAudio with_silence;
    with_silence.Insert(0, a);
    with_silence.InsertSilence(1024, 2048);
    with_silence.Insert(3072, a);
    for (LCutRecord& record : with_silence.Records()) {
        if (!record.cut.IsSilent() && record.start == 0 &&
            &record != &*with_silence.Records().begin()) {
            record.gain = kUnityGain / 4;  // the cut after the silence is quieter
        }
    }
    // 8 columns of 512 frames: 2 of the first cut, 4 of silence, 2 of the second cut.
    const WaveColumns columns = Compute(with_silence, 0, 4096, 8);
    EXPECT_EQ(Upper(columns, 8), (std::vector<int>{64, 64, 0, 0, 0, 0, 16, 16}));
    EXPECT_EQ(Lower(columns, 8), (std::vector<int>{16, 16, 0, 0, 0, 0, 4, 4}));
}

TEST_F(WaveColumnsTest, ARangeOfColumnsLeavesTheOthersAndStopEndsEarly) {
    const LCutListAudio list = Blocks(std::vector<Sample>(16, 0x40000), std::vector<Sample>(16, 0));
    const WaveColumnMapping mapping(0, 16 * 256, 8);
    WaveColumns columns;
    std::fill(columns.upper.begin(), columns.upper.end(), 7);
    ComputeWaveColumns(list, mapping, 2, 5, {}, columns);
    EXPECT_EQ(Upper(columns, 8), (std::vector<int>{7, 7, 128, 128, 128, 7, 7, 7}));

    std::atomic<bool> stop{true};
    std::fill(columns.upper.begin(), columns.upper.end(), 7);
    ComputeWaveColumns(list, mapping, 0, 8, {}, columns, &stop);
    ComputeColumnsFromSamples(list, WaveColumnMapping(0, 800, 8), 0, 8, {}, columns, &stop);
    EXPECT_EQ(Upper(columns, 8), std::vector<int>(8, 7));
}

// Loudness per column: a stereo sine whose left channel is twice as loud as its right, in
// two cuts of which the second plays at half gain. From the samples (short views) and from the
// level files (long views) each column's RMS is the sine's, amplitude / sqrt 2, under its cut's
// gain; positive/negative mode shows the RMS over both channels.
TEST_F(WaveColumnsTest, LoudnessIsTheRmsOfEachColumnFromSamplesOrLevelFiles) {
    const int frames = 256 * 400;
    std::vector<Sample> samples(2 * frames);
    for (int f = 0; f < frames; ++f) {
        const double s = std::sin(f * 2 * M_PI / 128);  // whole periods in every column
        samples[2 * f] = static_cast<Sample>(0x40000 * s);
        samples[2 * f + 1] = static_cast<Sample>(0x20000 * s);
    }
    LCutListAudio list = FromSamples(samples, 2);
    LCutListAudio half = list;
    half.Records().begin()->gain = 0x800000;
    list.Records().Append(*half.Records().begin());
    const double left = 0x40000 / std::sqrt(2.0) / 2048;  // on the column scale
    const double right = left / 2;
    const double both = std::sqrt((left * left + right * right) / 2);
    WaveDrawOptions left_right{WaveDisplayMode::kLeftRight, false};
    // 2048 frames a column (level files) and 256 (samples), over the first cut and the second.
    for (const std::int32_t per_column : {2048, 256}) {
        for (const int cut : {0, 1}) {
            const std::int32_t start = cut * frames + 5120;
            const double gain = cut == 0 ? 1.0 : 0.5;
            const WaveColumns split = Compute(list, start, per_column * 20, 20, left_right);
            const WaveColumns mixed = Compute(list, start, per_column * 20, 20);
            for (std::size_t c = 0; c < 20; ++c) {
                // Whole bytes in the level files cost up to one step of the scale.
                EXPECT_NEAR(split.rms_upper[c], left * gain, 1.6) << per_column << " " << c;
                EXPECT_NEAR(split.rms_lower[c], right * gain, 1.6) << per_column << " " << c;
                EXPECT_NEAR(mixed.rms_upper[c], both * gain, 1.6) << per_column << " " << c;
                EXPECT_EQ(mixed.rms_lower[c], mixed.rms_upper[c]);
                EXPECT_LT(split.rms_upper[c], split.upper[c]);
            }
        }
    }
}

// Close views give their frames for the line, from the one before the view to the one after.
TEST_F(WaveColumnsTest, CloseViewsReadTheirFramesForTheLine) {
    std::vector<Sample> ramp(1000);
    for (std::size_t f = 0; f < ramp.size(); ++f) {
        ramp[f] = static_cast<Sample>(f);
    }
    const LCutListAudio list = FromSamples(ramp, 1);
    EXPECT_TRUE(ReadWaveSamples(list, WaveColumnMapping(0, 101, 100)).values.empty());
    const WaveSamples samples = ReadWaveSamples(list, WaveColumnMapping(500, 25, 100));
    EXPECT_EQ(samples.first, 499);
    ASSERT_GE(samples.Frames(), 27);
    for (std::int64_t f = 0; f < samples.Frames(); ++f) {
        EXPECT_EQ(samples.values[static_cast<std::size_t>(f)], samples.first + f);
    }
    // At the end of the data the frames stop there.
    const WaveSamples end = ReadWaveSamples(list, WaveColumnMapping(990, 50, 100));
    EXPECT_EQ(end.first + end.Frames(), 1000);
}

TEST_F(WaveColumnsTest, PeakMagnitudeColumnsTakeTheLouderChannelEitherWayFromTheSamples) {
    // Stereo, 500 frames per column: beyond the graph files' threshold, yet read from the
    // samples. Column 0 peaks at +0x20000 on the left, column 1 at -0x30000 on the right,
    // column 2 reaches the saturation point, the rest is silent.
    std::vector<Sample> samples(4000 * 2, 0);
    samples[2 * 10] = 0x20000;
    samples[2 * 510 + 1] = -0x30000;
    samples[2 * 1010] = 261120;
    samples[2 * 1011 + 1] = -0x7FFF0;
    const LCutListAudio list = FromSamples(samples, 2);
    const WaveColumns columns =
        Compute(list, 0, 4000, 8, WaveDrawOptions{WaveDisplayMode::kPeakMagnitude, false});
    EXPECT_EQ(Upper(columns, 4), (std::vector<int>{0x80, 0xC0, 255, 0}));
    for (std::size_t c = 0; c < 4; ++c) {
        EXPECT_EQ(columns.lower[c], columns.upper[c]);
        EXPECT_EQ(columns.high[c], columns.upper[c]);
        EXPECT_EQ(columns.low[c], -columns.upper[c]);
        EXPECT_EQ(columns.rms_upper[c], 0);
    }
}

}  // namespace
}  // namespace sonvara
