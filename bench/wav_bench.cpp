// WAV reading and writing in times real time: how many seconds of 44.1 kHz stereo one core
// writes into, or reads out of, a WAV file in each coding per second. The files live in a
// temporary folder, so these measure the codecs and the buffering, with the page cache doing
// the disk's work.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <numbers>
#include <string>
#include <vector>

#include "audio/memory_stream.h"
#include "audio/wav/wave_file.h"
#include "platform/codec/codec_manager.h"

namespace sonvara {
namespace {

constexpr std::int32_t kRate = 44100;
constexpr std::int32_t kSeconds = 10;

std::vector<Sample> Music() {
    std::vector<Sample> samples(static_cast<std::size_t>(kRate) * kSeconds * 2);
    for (std::size_t i = 0; i < samples.size(); i += 2) {
        double t = static_cast<double>(i / 2) / kRate;
        double value = 0.4 * std::sin(2 * std::numbers::pi * 220 * t) +
                       0.3 * std::sin(2 * std::numbers::pi * 3150 * t) +
                       0.2 * std::sin(2 * std::numbers::pi * 9000 * t);
        samples[i] = static_cast<Sample>(value * 0.9 * FULL_SCALE);
        samples[i + 1] = static_cast<Sample>(value * 0.7 * FULL_SCALE);
    }
    return samples;
}

class TemporaryFolder {
  public:
    TemporaryFolder() : path_("/tmp/sonvara-wav-bench-XXXXXX") {
        if (::mkdtemp(path_.data()) == nullptr) {
            std::abort();
        }
    }
    ~TemporaryFolder() {
        std::string command = "rm -rf " + path_;
        [[maybe_unused]] int status = std::system(command.c_str());
    }
    std::string File(const char* name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

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
}

void SetRate(benchmark::State& state) {
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(kSeconds) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}

void BM_Write(benchmark::State& state, std::uint16_t tag) {
    TemporaryFolder folder;
    const std::vector<Sample> music = Music();
    const WaveFormat format = Format(tag);
    for (auto _ : state) {
        WriteFile(folder.File("out.wav"), format, music);
    }
    SetRate(state);
}

void BM_Read(benchmark::State& state, std::uint16_t tag) {
    TemporaryFolder folder;
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
