// The player's costs: the time from Start to the first buffer handed to the device (what a user
// waits for after the play key), and the CPU the playing process takes while 44.1 kHz stereo
// plays on the clock-paced null output.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <numbers>
#include <vector>

#include "audio/memory_stream.h"
#include "core/message_loop.h"
#include "devices/sound_player.h"
#include "devices/system_outputs.h"

namespace sonvara {
namespace {

using Clock = std::chrono::steady_clock;

// Opens the null output and notes when the first buffer is written to it.
class FirstWriteProbe : public WaveOutProvider {
  public:
    std::vector<std::string> DeviceNames() const override { return {"probe"}; }
    std::unique_ptr<WaveOut> Open(int /*number*/, const WaveOutFormat& format,
                                  LSignalObject& done_event, std::string& error) override {
        const int null_output = static_cast<int>(system_.DeviceNames().size()) - 1;
        auto output = system_.Open(null_output, format, done_event, error);
        return output ? std::make_unique<Probe>(std::move(output), *this) : nullptr;
    }

    std::atomic<bool> written{false};
    Clock::time_point first_write;

  private:
    class Probe : public WaveOut {
      public:
        Probe(std::unique_ptr<WaveOut> output, FirstWriteProbe& owner)
            : output_(std::move(output)), owner_(owner) {}
        bool Write(WaveBuffer& buffer) override {
            if (!owner_.written) {
                owner_.first_write = Clock::now();
                owner_.written = true;
            }
            return output_->Write(buffer);
        }
        void Pause() override { output_->Pause(); }
        void Restart() override { output_->Restart(); }
        void Reset() override { output_->Reset(); }
        void BreakLoop() override { output_->BreakLoop(); }
        std::int64_t PlayedFrames() const override { return output_->PlayedFrames(); }
        bool IsDone(const WaveBuffer& buffer) const override { return output_->IsDone(buffer); }
        std::string Failure() const override { return output_->Failure(); }
        std::string Close() override { return output_->Close(); }

      private:
        std::unique_ptr<WaveOut> output_;
        FirstWriteProbe& owner_;
    };

    SystemWaveOutProvider system_;
};

// Ten seconds of a 44.1 kHz stereo sine; `declared_peak` above full scale puts the limiter in.
LSoundSourceRef StereoSine(Sample declared_peak) {
    constexpr std::int32_t kRate = 44100;
    std::vector<Sample> samples;
    samples.reserve(static_cast<std::size_t>(kRate) * 10 * 2);
    for (std::int32_t f = 0; f < kRate * 10; ++f) {
        const auto value =
            static_cast<Sample>(0x40000 * std::sin(2 * std::numbers::pi * 440.0 * f / kRate));
        samples.push_back(value);
        samples.push_back(-value);
    }
    return new LMemorySoundSource(std::move(samples), kRate, 2, declared_peak);
}

// Arg 0: a source within full scale; 1: one that must pass the limiter.
void BM_StartToFirstBuffer(benchmark::State& state) {
    const Sample peak = state.range(0) != 0 ? 2 * FULL_SCALE : FULL_SCALE;
    QueueMessageLoop loop;
    FirstWriteProbe outputs;
    LSoundPlayer player(loop, outputs);
    for (auto _ : state) {
        LSoundSourceRef source = StereoSine(peak);
        outputs.written = false;
        const Clock::time_point start = Clock::now();
        if (!player.Start(source)) {
            state.SkipWithError("the null output did not open");
            break;
        }
        while (!outputs.written) {
            std::this_thread::yield();
        }
        state.SetIterationTime(std::chrono::duration<double>(outputs.first_write - start).count());
        player.Stop();
        loop.PumpPending();
    }
}
BENCHMARK(BM_StartToFirstBuffer)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond);

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The whole process's CPU time (player worker, the output's thread, the message loop) over the
// wall time of four seconds of play, in percent of one core.
void BM_PlayingCpuShare(benchmark::State& state) {
    const Sample peak = state.range(0) != 0 ? 2 * FULL_SCALE : FULL_SCALE;
    QueueMessageLoop loop;
    FirstWriteProbe outputs;
    LSoundPlayer player(loop, outputs);
    for (auto _ : state) {
        state.PauseTiming();
        LSoundSourceRef source = StereoSine(peak);
        state.ResumeTiming();
        const double cpu_before = CpuSeconds();
        const Clock::time_point start = Clock::now();
        if (!player.Start(source)) {
            state.SkipWithError("the null output did not open");
            break;
        }
        while (Clock::now() - start < std::chrono::seconds(4)) {
            loop.WaitAndPump(std::chrono::milliseconds(20));
        }
        player.Stop();
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        state.counters["cpu_percent"] = 100.0 * (CpuSeconds() - cpu_before) / wall;
    }
}
BENCHMARK(BM_PlayingCpuShare)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sonvara
