// The effects on ten minutes of 44.1 kHz stereo, each as the editor runs it: the document is read
// from its cut files, the effect applied and the result written to new cut files that replace
// the selection (the whole document). Figures in times real time ("x_realtime"); the effects run
// on one core.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "bench/bench_host.h"
#include "bench/bench_music.h"
#include "bench/bench_tank.h"
#include "document/cut_list_audio.h"
#include "document/cut_writer.h"
#include "effects/auto_gain.h"
#include "effects/auto_trim.h"
#include "effects/compressor.h"
#include "effects/dc_offset.h"
#include "effects/echo.h"
#include "effects/envelope.h"
#include "effects/high_pass.h"
#include "effects/noise_gate.h"
#include "effects/normalize.h"
#include "effects/reverse.h"
#include "effects/speed_pitch.h"

namespace sonvara {
namespace {

constexpr std::int32_t kSeconds = 600;
constexpr int kChannels = 2;

// Ten minutes of music in one cut, written once.
const LCutListAudio& TenMinutes() {
    static BenchTank tank("sonvara-effects-bench");
    static const LCutListAudio document = [] {
        const std::vector<Sample> music = BenchMusic(kSeconds, 0.5, 0.5);
        LCutListAudio list;
        LSoundSinkRef writer(new LSNKCutListAudio(list, kBenchRate, kChannels));
        const auto frames = static_cast<std::int32_t>(music.size() / kChannels);
        for (std::int32_t done = 0; done < frames; done += kBlockFrames) {
            writer->Write(music.data() + static_cast<std::size_t>(done) * kChannels,
                          std::min(kBlockFrames, frames - done));
        }
        if (!writer->Finish()) {
            std::abort();
        }
        return list;
    }();
    return document;
}

using MakeEffect = std::function<std::unique_ptr<LProgressDialog>(LCutListAudio&, std::int32_t)>;

// Each iteration works on a fresh copy of the document (records only) over its whole length;
// the copy and its new cut files go between iterations, outside the timing.
void BM_Effect(benchmark::State& state, const MakeEffect& make) {
    const LCutListAudio& source = TenMinutes();
    const std::int32_t length = source.GetLength();
    for (auto _ : state) {
        state.PauseTiming();
        auto document = std::make_unique<LCutListAudio>(source);
        std::unique_ptr<LProgressDialog> effect = make(*document, length);
        state.ResumeTiming();
        if (RunBenchProcess(*effect) != PROCESS_DONE) {
            state.SkipWithError("the effect did not complete");
        }
        state.PauseTiming();
        effect.reset();
        document.reset();
        state.ResumeTiming();
    }
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(kSeconds) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}

template <typename Effect, typename... Parameters>
MakeEffect Range(Parameters... parameters) {
    return [=](LCutListAudio& document, std::int32_t length) {
        return std::make_unique<Effect>(document, FrameRange{0, length}, parameters...);
    };
}

#define EFFECT_BENCHMARK(name, make)         \
    BENCHMARK_CAPTURE(BM_Effect, name, make) \
        ->Unit(benchmark::kMillisecond)      \
        ->Iterations(2)                      \
        ->UseRealTime()

EFFECT_BENCHMARK(Normalize, Range<EfNormalize>(NormalizeParameters{.peak_percent = 100}));
EFFECT_BENCHMARK(FadeIn, Range<EfFadeIn>());
EFFECT_BENCHMARK(Reverse, Range<LEfReverse>());
EFFECT_BENCHMARK(DCOffset, Range<EfDCOffsetCorrection>());
EFFECT_BENCHMARK(Echo, Range<EfEcho>(EchoParameters{.time_ms = 800, .gain_percent = 50}));
EFFECT_BENCHMARK(Reverb, Range<EfReverb>(ReverbParameters{.time_ms = 1000, .level_percent = 100}));
EFFECT_BENCHMARK(LowCut, Range<EfLowCutFilter>(LowCutParameters{.frequency_hz = 250}));
EFFECT_BENCHMARK(AutoTrim, ([](LCutListAudio& document, std::int32_t) {
                     return std::make_unique<EfAutotrim>(document,
                                                         AutoTrimParameters{.threshold_db = -20});
                 }));
EFFECT_BENCHMARK(Compressor, Range<EfCompressor>(CompressorParameters{
                                 .threshold_db = -20, .ratio_index = 2, .limit_db = 0}));
EFFECT_BENCHMARK(NoiseGate, Range<EfNoiseReduction>(NoiseGateParameters{.level_db = -30}));
EFFECT_BENCHMARK(AutoGain, Range<EfAutoGainControl>());
EFFECT_BENCHMARK(SpeedSimple150, Range<LEfChangeSpeedPitch>(SpeedPitchParameters{
                                     .percent = 150, .mode = kSpeedPitchSimple}));
EFFECT_BENCHMARK(ConstantPitch150, Range<LEfChangeSpeedPitch>(SpeedPitchParameters{
                                       .percent = 150, .mode = kSpeedPitchConstantPitch}));
EFFECT_BENCHMARK(ConstantSpeed150, Range<LEfChangeSpeedPitch>(SpeedPitchParameters{
                                       .percent = 150, .mode = kSpeedPitchConstantSpeed}));

}  // namespace
}  // namespace sonvara
