// The format filters every save and every playback goes through, in times real time: how many
// seconds of 44.1 kHz stereo input one core converts per second.

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "audio/filter_makers.h"
#include "audio/memory_stream.h"
#include "audio/peak_limit.h"

namespace sonvara {
namespace {

constexpr std::int32_t kRate = 44100;
constexpr std::int32_t kSeconds = 10;

LSoundSourceRef Music(Sample max_sample) {
    std::vector<Sample> samples(static_cast<std::size_t>(kRate) * kSeconds * 2);
    for (std::size_t i = 0; i < samples.size(); i += 2) {
        double t = static_cast<double>(i / 2) / kRate;
        double value = 0.4 * std::sin(2 * std::numbers::pi * 220 * t) +
                       0.3 * std::sin(2 * std::numbers::pi * 3150 * t) +
                       0.2 * std::sin(2 * std::numbers::pi * 9000 * t);
        samples[i] = static_cast<Sample>(value * 1.5 * FULL_SCALE);
        samples[i + 1] = static_cast<Sample>(value * 1.2 * FULL_SCALE);
    }
    return new LMemorySoundSource(std::move(samples), kRate, 2, max_sample);
}

// Reads the whole chain made by `make` in blocks of 8192 frames.
template <typename Make>
void RunChain(benchmark::State& state, Make make) {
    LSoundSourceRef source = Music(kUnknownMaxSample);
    std::vector<Sample> block(2 * kBlockFrames);
    for (auto _ : state) {
        source->Seek(0);
        LSoundSourceRef chain = make(source);
        while (chain->GetPosition() < chain->GetLength()) {
            chain->Read(block.data(), kBlockFrames);
        }
        benchmark::DoNotOptimize(block.data());
    }
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(kSeconds) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}

void BM_ConvertRate44100To48000Stereo(benchmark::State& state) {
    RunChain(state, [](const LSoundSourceRef& s) { return LRateFilterMaker(48000).Make(s); });
}
BENCHMARK(BM_ConvertRate44100To48000Stereo)->Unit(benchmark::kMillisecond);

void BM_ConvertRate44100To8000Stereo(benchmark::State& state) {
    RunChain(state, [](const LSoundSourceRef& s) { return LRateFilterMaker(8000).Make(s); });
}
BENCHMARK(BM_ConvertRate44100To8000Stereo)->Unit(benchmark::kMillisecond);

void BM_PeakLimitStereo(benchmark::State& state) {
    RunChain(state, [](const LSoundSourceRef& s) {
        return LSoundSourceRef(new LSRCPeakLimit(s, FULL_SCALE));
    });
}
BENCHMARK(BM_PeakLimitStereo)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sonvara
