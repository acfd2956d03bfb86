// The equalizer in numbers: building the taps from a response table, in milliseconds, and the
// filter over ten minutes of 44.1 kHz stereo, in times real time on one core (CPU time). The
// filter costs 2048 multiply-adds per output sample whatever the curve; the curve here is not
// flat so that no tap is trivially zero.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "bench/bench_music.h"
#include "effects/equalizer.h"

namespace sonvara {
namespace {

constexpr int kChannels = 2;
constexpr std::int32_t kLoopSeconds = 10;
constexpr std::int32_t kSeconds = 600;

// Ten minutes of the bench music from ten seconds of it held in memory, played in a loop.
class LoopedMusic : public LSoundSourceBase {
  public:
    LoopedMusic() : LSoundSourceBase(kBenchRate, kChannels, FULL_SCALE) {}

    void Read(Sample* buffer, std::int32_t frames) override {
        static const std::vector<Sample> music = BenchMusic(kLoopSeconds, 0.9, 0.7);
        constexpr std::int32_t kLoopFrames = kLoopSeconds * kBenchRate;
        while (frames > 0) {
            const std::int32_t at = position_ % kLoopFrames;
            const std::int32_t n = std::min(frames, kLoopFrames - at);
            if (position_ >= kLength) {
                std::fill_n(buffer, n * kChannels, 0);
            } else {
                std::copy_n(music.data() + static_cast<std::ptrdiff_t>(at) * kChannels,
                            n * kChannels, buffer);
            }
            buffer += n * kChannels;
            frames -= n;
            position_ += n;
        }
    }
    std::int32_t GetPosition() const override { return position_; }
    std::int32_t GetLength() const override { return kLength; }
    void Seek(std::int32_t frame) override { position_ = std::max(frame, 0); }

  private:
    static constexpr std::int32_t kLength = kSeconds * kBenchRate;
    std::int32_t position_ = 0;
};

// Bass up, a dip round 1 kHz, presence up, the top rolled off.
PointList Curve() {
    PointList list;
    const PointList::Point points[] = {{0, 200},   {5, 160},   {12, 64}, {20, 128},
                                       {100, 128}, {200, 180}, {255, 90}};
    list.n_points = std::size(points);
    std::copy(std::begin(points), std::end(points), list.points.begin());
    return list;
}

void BM_EqualizerTaps(benchmark::State& state) {
    const EqualizerResponse response = MakeEqualizerResponse(Curve(), kBenchRate);
    for (auto _ : state) {
        benchmark::DoNotOptimize(MakeEqualizerTaps(response));
    }
}
BENCHMARK(BM_EqualizerTaps)->Unit(benchmark::kMillisecond);

void BM_EqualizeTenMinutesStereo(benchmark::State& state) {
    const EqualizerResponse response = MakeEqualizerResponse(Curve(), kBenchRate);
    std::vector<Sample> block(static_cast<std::size_t>(kChannels) * kBlockFrames);
    for (auto _ : state) {
        LSRCEq eq(LSoundSourceRef(new LoopedMusic), response);
        while (eq.GetPosition() < eq.GetLength()) {
            eq.Read(block.data(), kBlockFrames);
        }
        benchmark::DoNotOptimize(block.data());
    }
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(kSeconds) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EqualizeTenMinutesStereo)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace sonvara
