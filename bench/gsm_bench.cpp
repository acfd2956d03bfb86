// GSM 6.10 coding in times real time: how many seconds of 8000 Hz mono speech one core codes
// into, or decodes out of, a ".gsm" file per second. The input is ten minutes of the speech-like
// test signal of tests/data/gsm (3 s, repeated); the files live in a temporary folder.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/bench_folder.h"
#include "formats/gsm_file.h"

namespace sonvara {
namespace {

constexpr std::int32_t kSeconds = 600;
constexpr std::int32_t kSamples = kSeconds * 8000;
constexpr std::int32_t kBlock = 4096;

std::vector<Sample> Speech() {
    std::ifstream in(std::string(SONVARA_GSM_DATA_DIR) + "/speech.s16", std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
    if (bytes.size() < 2) {
        std::abort();
    }
    std::vector<Sample> samples(kSamples);
    const std::size_t count = bytes.size() / 2;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const std::size_t at = 2 * (i % count);
        samples[i] =
            16 * static_cast<std::int16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                           (static_cast<std::uint8_t>(bytes[at + 1]) << 8));
    }
    return samples;
}

void Encode(const std::string& path, const std::vector<Sample>& speech) {
    LGSMFileSink sink(path);
    for (std::int32_t at = 0; at < kSamples; at += kBlock) {
        sink.Write(speech.data() + at, std::min(kBlock, kSamples - at));
    }
    if (!sink.Finish()) {
        std::abort();
    }
}

void SetRate(benchmark::State& state) {
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(kSeconds) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}

void BM_GsmEncode(benchmark::State& state) {
    BenchFolder folder("sonvara-gsm-bench");
    const std::vector<Sample> speech = Speech();
    for (auto _ : state) {
        Encode(folder.File("out.gsm"), speech);
    }
    SetRate(state);
}
BENCHMARK(BM_GsmEncode)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_GsmDecode(benchmark::State& state) {
    BenchFolder folder("sonvara-gsm-bench");
    Encode(folder.File("in.gsm"), Speech());
    std::vector<Sample> block(kBlock);
    for (auto _ : state) {
        LGSMFileSource source(folder.File("in.gsm"));
        while (source.GetPosition() < source.GetLength()) {
            source.Read(block.data(), kBlock);
        }
        benchmark::DoNotOptimize(block.data());
    }
    SetRate(state);
}
BENCHMARK(BM_GsmDecode)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace sonvara
