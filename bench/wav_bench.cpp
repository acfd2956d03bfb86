// WAV reading and writing in times real time: how many seconds of 44.1 kHz stereo one core
// writes into, or reads out of, a WAV file in each coding per second. The files live in a
// temporary folder, so these measure the codecs and the buffering, with the page cache doing
// the disk's work.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "audio/memory_stream.h"
#include "audio/wav/wave_file.h"
#include "bench/bench_folder.h"
#include "bench/bench_music.h"
#include "platform/codec/codec_manager.h"

namespace sonvara {
namespace {

constexpr std::int32_t kRate = kBenchRate;
constexpr std::int32_t kSeconds = 10;

std::vector<Sample> Music() {
    return BenchMusic(kSeconds, 0.9, 0.7);
}

WaveFormat Format(std::uint16_t tag) {
    if (tag == WAVE_FORMAT_PCM) {
        return WaveFormat::Pcm16(2, kRate);
    }
    for (const FormatChoice& choice : CodecManager::Instance().ListFormats(2)) {
        if (choice.format.format_tag == tag && choice.format.samples_per_sec == kRate) {
            return choice.format;
        }
    }
    std::abort();
}

void WriteFile(const std::string& path, const WaveFormat& format,
               const std::vector<Sample>& music) {
    LSoundSinkRef sink = LWaveFile::OpenSink(path, format);
    for (std::size_t done = 0; done < music.size(); done += 2 * kBlockFrames) {
        auto frames = static_cast<std::int32_t>(
            std::min<std::size_t>(kBlockFrames, (music.size() - done) / 2));
        sink->Write(music.data() + done, frames);
    }
    if (!sink->Finish()) {
        std::abort();
    }
}

void SetRate(benchmark::State& state) {
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(kSeconds) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}

void BM_Write(benchmark::State& state, std::uint16_t tag) {
    BenchFolder folder("sonvara-wav-bench");
    const std::vector<Sample> music = Music();
    const WaveFormat format = Format(tag);
    for (auto _ : state) {
        WriteFile(folder.File("out.wav"), format, music);
    }
    SetRate(state);
}

void BM_Read(benchmark::State& state, std::uint16_t tag) {
    BenchFolder folder("sonvara-wav-bench");
    const std::string path = folder.File("in.wav");
    WriteFile(path, Format(tag), Music());
    std::vector<Sample> block(2 * kBlockFrames);
    for (auto _ : state) {
        LSoundSourceRef source = LWaveFile::OpenSource(path);
        while (source->GetPosition() < source->GetLength()) {
            source->Read(block.data(), kBlockFrames);
        }
        benchmark::DoNotOptimize(block.data());
    }
    SetRate(state);
}

BENCHMARK_CAPTURE(BM_Write, Pcm16, WAVE_FORMAT_PCM)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Read, Pcm16, WAVE_FORMAT_PCM)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Write, ImaAdpcm, WAVE_FORMAT_IMA_ADPCM)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Read, ImaAdpcm, WAVE_FORMAT_IMA_ADPCM)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Write, MsAdpcm, WAVE_FORMAT_ADPCM)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Read, MsAdpcm, WAVE_FORMAT_ADPCM)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Write, Ulaw, WAVE_FORMAT_MULAW)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Read, Ulaw, WAVE_FORMAT_MULAW)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sonvara
