// MP3 decoding in times real time: how many seconds of 44.1 kHz stereo one core decodes per
// second. The input is ten minutes at 128 kbit/s: the one-second stream of tests/data/mp3
// repeated. Three ways in: the frame decoder alone (frames found in memory), ".mp3" files
// (LMP3Source) and the same frames inside a WAV file (the codec manager, 16-bit output).

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "audio/wav/wave_file.h"
#include "bench/bench_folder.h"
#include "codecs/mp3/mp3_frame_decoder.h"
#include "codecs/mp3/mp3_frame_layout.h"
#include "formats/mp3_file.h"

namespace sonvara {
namespace {

constexpr std::int32_t kSeconds = 600;
constexpr std::int32_t kBlock = 4096;

std::vector<std::uint8_t> TenMinutes() {
    std::ifstream in(std::string(SONVARA_MP3_DATA_DIR) + "/cbr128_stereo_44k.mp3",
                     std::ios::binary);
    const std::vector<std::uint8_t> second{std::istreambuf_iterator<char>(in),
                                           std::istreambuf_iterator<char>()};
    if (second.empty()) {
        std::abort();
    }
    std::vector<std::uint8_t> bytes;
    bytes.reserve(second.size() * kSeconds);
    for (int i = 0; i < kSeconds; ++i) {
        bytes.insert(bytes.end(), second.begin(), second.end());
    }
    return bytes;
}

void Write(const std::string& path, const std::vector<std::uint8_t>& head,
           const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(head.data()),
              static_cast<std::streamsize>(head.size()));
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// The 58 bytes in front of the data of a WAV file of MPEG Layer III, 128 kbit/s stereo.
std::vector<std::uint8_t> WaveHead(std::size_t data_bytes) {
    std::vector<std::uint8_t> head;
    head.reserve(58);
    auto u16 = [&](std::uint32_t v) {
        head.push_back(static_cast<std::uint8_t>(v));
        head.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    auto u32 = [&](std::uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    auto id = [&](const char* text) {
        for (int i = 0; i < 4; ++i) {
            head.push_back(static_cast<std::uint8_t>(text[i]));
        }
    };
    id("RIFF");
    u32(static_cast<std::uint32_t>(data_bytes + 50));
    id("WAVE");
    id("fmt ");
    u32(30);
    for (std::uint32_t v : {0x55U, 2U}) {
        u16(v);
    }
    u32(44100);
    u32(16000);
    for (std::uint32_t v : {1U, 0U, 12U, 1U}) {
        u16(v);
    }
    u32(2);
    for (std::uint32_t v : {418U, 1U, 1393U}) {
        u16(v);
    }
    id("data");
    u32(static_cast<std::uint32_t>(data_bytes));
    return head;
}

void SetRate(benchmark::State& state) {
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(kSeconds) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}

void ReadToEnd(LSoundSourceBase& source) {
    std::vector<Sample> block(static_cast<std::size_t>(kBlock * source.GetChannels()));
    while (source.GetPosition() < source.GetLength()) {
        source.Read(block.data(), kBlock);
    }
    benchmark::DoNotOptimize(block.data());
}

void BM_Mp3FrameDecoder(benchmark::State& state) {
    const std::vector<std::uint8_t> bytes = TenMinutes();
    mp3::LMP3FrameDecoder decoder;
    auto frame = std::make_unique<mp3::DecodedFrame>();
    for (auto _ : state) {
        decoder.Reset();
        std::size_t at = 0;
        while (std::optional<mp3::FrameLayout> layout =
                   mp3::ReadFrameLayout(std::span(bytes).subspan(at))) {
            const auto size = static_cast<std::size_t>(layout->header.FrameBytes());
            decoder.Decode(std::span(bytes).subspan(at, size), *frame);
            at += size;
        }
        benchmark::DoNotOptimize(frame->pcm.data());
    }
    SetRate(state);
}
BENCHMARK(BM_Mp3FrameDecoder)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Mp3File(benchmark::State& state) {
    BenchFolder folder("sonvara-mp3-bench");
    Write(folder.File("in.mp3"), {}, TenMinutes());
    for (auto _ : state) {
        LMP3Source source(folder.File("in.mp3"));
        ReadToEnd(source);
    }
    SetRate(state);
}
BENCHMARK(BM_Mp3File)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Mp3InWave(benchmark::State& state) {
    BenchFolder folder("sonvara-mp3-bench");
    const std::vector<std::uint8_t> bytes = TenMinutes();
    Write(folder.File("in.wav"), WaveHead(bytes.size()), bytes);
    for (auto _ : state) {
        LSoundSourceRef source = LWaveFile::OpenSource(folder.File("in.wav"));
        ReadToEnd(*source);
    }
    SetRate(state);
}
BENCHMARK(BM_Mp3InWave)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace sonvara
