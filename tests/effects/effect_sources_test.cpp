#include "effects/effect_sources.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "effects/compressor.h"
#include "effects/echo.h"
#include "effects/envelope.h"
#include "effects/equalizer.h"
#include "effects/high_pass.h"
#include "effects/noise_gate.h"
#include "effects/normalize.h"
#include "effects/speed_pitch.h"
#include "tests/document/document_fixture.h"
#include "tests/support/run_process.h"

namespace sonvara {
namespace {

class EffectSourcesTest : public testing::DocumentTest {
  protected:
    // Stereo tone bursts over a little noise, loud and quiet in turn, so that the dynamics
    // effects change their gains within the selection.
    static LCutListAudio Signal(std::int32_t frames) {
        std::vector<Sample> samples;
        std::uint32_t noise = 12345;
        for (std::int32_t f = 0; f < frames; ++f) {
            const double loud = (f / 3000) % 2 == 0 ? 0.6 : 0.02;
            for (int c = 0; c < 2; ++c) {
                noise = noise * 1664525u + 1013904223u;
                const double tone = std::sin(f * (0.05 + 0.03 * c)) * loud;
                const double hiss = (static_cast<double>(noise >> 8) / (1 << 24) - 0.5) * 0.01;
                samples.push_back(static_cast<Sample>((tone + hiss) * FULL_SCALE));
            }
        }
        return FromSamples(samples, 2);
    }

    // `frames` frames of `source` from `from`, read in uneven pieces.
    static std::vector<Sample> ReadFrom(LSoundSourceBase& source, std::int32_t from,
                                        std::int32_t frames) {
        source.Seek(from);
        std::vector<Sample> samples(static_cast<std::size_t>(frames) * 2);
        for (std::int32_t done = 0; done < frames;) {
            const std::int32_t piece = std::min(frames - done, 777);
            source.Read(samples.data() + static_cast<std::size_t>(done) * 2, piece);
            done += piece;
        }
        return samples;
    }
};

TEST_F(EffectSourcesTest, EachSourceGivesTheFramesItsEffectLeavesInTheDocument) {
    const FrameRange range{7000, 31000};
    auto run = [](LProgressDialog&& process) { return testing::RunProcess(process); };
    PointList curve;
    curve.n_points = 4;
    curve.points[0] = {0, 200};
    curve.points[1] = {60, 40};
    curve.points[2] = {140, 128};
    curve.points[3] = {255, 90};
    struct Case {
        std::string name;
        EffectSourceFactory source;
        std::function<ProcessResult(LCutListAudio&)> apply;
    };
    const EchoParameters echo{.time_ms = 120, .gain_percent = 60};
    const ReverbParameters reverb{.time_ms = 200, .level_percent = 80};
    const CompressorParameters compressor{.threshold_db = -20, .ratio_index = 3, .limit_db = 0};
    const NoiseGateParameters gate{.level_db = -20};
    const LowCutParameters low_cut{.frequency_hz = 300};
    const NormalizeParameters normalize{.peak_percent = 90};
    std::vector<Case> cases = {
        {"amplify", EffectSource(AmplifyParameters{.gain_percent = 70}),
         [&](LCutListAudio& d) {
             d.EfAmplify(range.start, range.end, 70);
             return PROCESS_DONE;
         }},
        {"echo", EffectSource(echo), [&](LCutListAudio& d) { return run(EfEcho(d, range, echo)); }},
        {"reverb", EffectSource(reverb),
         [&](LCutListAudio& d) { return run(EfReverb(d, range, reverb)); }},
        {"low cut", EffectSource(low_cut),
         [&](LCutListAudio& d) { return run(EfLowCutFilter(d, range, low_cut)); }},
        {"compressor", EffectSource(compressor),
         [&](LCutListAudio& d) { return run(EfCompressor(d, range, compressor)); }},
        {"noise gate", EffectSource(gate),
         [&](LCutListAudio& d) { return run(EfNoiseReduction(d, range, gate)); }},
        {"equalizer", EqualizerSource(curve),
         [&](LCutListAudio& d) { return run(EfEqualiser(d, range, curve)); }},
        {"envelope", EnvelopeSource(curve, range),
         [&](LCutListAudio& d) { return run(LEfEnvelope(d, range, curve.ToBytePointList())); }},
    };
    for (std::int32_t mode :
         {kSpeedPitchSimple, kSpeedPitchConstantPitch, kSpeedPitchConstantSpeed}) {
        for (std::int32_t percent : {60, 150}) {
            const SpeedPitchParameters speed{.percent = percent, .mode = mode};
            cases.push_back({"speed " + std::to_string(mode) + " " + std::to_string(percent),
                             EffectSource(speed, range), [=](LCutListAudio& d) {
                                 return run(LEfChangeSpeedPitch(d, range, speed));
                             }});
        }
    }
    const LCutListAudio original = Signal(40000);
    cases.push_back({"normalize", NormalizeSource(normalize, RangePeak(original, range)),
                     [&](LCutListAudio& d) { return run(EfNormalize(d, range, normalize)); }});

    const std::vector<Sample> before = ReadList(original);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LCutListAudio document = original;
        ASSERT_EQ(c.apply(document), PROCESS_DONE);
        const std::vector<Sample> expected = ReadList(document);
        LSoundSourceRef source = c.source(LSoundSourceRef(new LSRCCutListAudio(original)));
        ASSERT_FALSE(source->IsError());
        ASSERT_EQ(source->GetLength(), document.GetLength());
        // The changed frames, then again from the selection's start as a loop reads them.
        const std::int32_t changed_end = range.end + document.GetLength() - original.GetLength();
        const std::vector<Sample> want(expected.begin() + range.start * 2,
                                       expected.begin() + changed_end * 2);
        EXPECT_NE(want, std::vector<Sample>(before.begin() + range.start * 2,
                                            before.begin() + changed_end * 2));
        for (int pass = 0; pass < 2; ++pass) {
            EXPECT_EQ(ReadFrom(*source, range.start, changed_end - range.start), want) << pass;
        }
        // After a change of length, the document after the selection follows as it is.
        if (changed_end != range.end) {
            EXPECT_EQ(ReadFrom(*source, changed_end, 500),
                      std::vector<Sample>(expected.begin() + changed_end * 2,
                                          expected.begin() + (changed_end + 500) * 2));
        }
    }
}

TEST_F(EffectSourcesTest, ValuesWithNoEffectGiveASourceInError) {
    const LCutListAudio original = Signal(1000);
    const LSoundSourceRef upstream(new LSRCCutListAudio(original));
    EXPECT_TRUE(EffectSource(CompressorParameters{
        .threshold_db = 0, .ratio_index = 99, .limit_db = 0})(upstream)
                    ->IsError());
    EXPECT_TRUE(EffectSource(SpeedPitchParameters{.percent = 100, .mode = 7}, {0, 500})(upstream)
                    ->IsError());
    PointList one;
    one.n_points = 1;
    EXPECT_TRUE(EnvelopeSource(one, {0, 500})(upstream)->IsError());
}

}  // namespace
}  // namespace sonvara
