// The format filters every save and every playback goes through, in times real time: how many
// seconds of 44.1 kHz stereo input one core converts per second.

#include <benchmark/benchmark.h>

#include <vector>

#include "audio/filter_makers.h"
#include "audio/memory_stream.h"
#include "audio/peak_limit.h"
#include "bench/bench_music.h"

namespace sonvara {
namespace {

constexpr std::int32_t kRate = kBenchRate;
constexpr std::int32_t kSeconds = 10;

LSoundSourceRef Music(Sample max_sample) {
    return new LMemorySoundSource(BenchMusic(kSeconds, 1.5, 1.2), kRate, 2, max_sample);
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
