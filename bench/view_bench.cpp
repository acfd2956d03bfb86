// The waveform view on an hour of 44.1 kHz stereo, in milliseconds: opening the WAV file (the
// load writes the cut file, its graph file and its level file), the whole-file view of 2048
// columns (extremes and loudness) that follows from the graph and level files, the same drawn on
// screen by the view (its worker computing the columns, then an anti-aliased paint of the peak
// and RMS layers into an image of 2050 × 400 pixels), and a scroll by a tenth of a window, which
// computes only the columns it uncovers, beside the whole window at the same zoom. Scrolls are
// measured at a zoom drawn from the graph files (eight records a column) and at one drawn from
// the samples (128 a column).

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QImage>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "audio/wav/wave_file.h"
#include "bench/bench_folder.h"
#include "bench/bench_host.h"
#include "bench/bench_music.h"
#include "bench/bench_tank.h"
#include "formats/load_save.h"
#include "view/columns/wave_columns.h"
#include "view/wave_window.h"

namespace sonvara {
namespace {

constexpr std::int32_t kMinutes = 60;
constexpr int kColumns = 2048;

// The hour as a WAV file, written once, and the document it loads into.
struct Hour {
    BenchTank tank{"sonvara-view-bench-tank"};
    BenchFolder folder{"sonvara-view-bench"};
    LCutListAudio document;
    double load_milliseconds = 0;

    Hour() {
        const std::string path = folder.File("hour.wav");
        {
            const std::vector<Sample> minute = BenchMusic(60, 0.9, 0.7);
            LSoundSinkRef sink = LWaveFile::OpenSink(path, WaveFormat::Pcm16(2, kBenchRate));
            for (int m = 0; m < kMinutes; ++m) {
                for (std::size_t done = 0; done < minute.size(); done += 2 * kBlockFrames) {
                    const auto frames = static_cast<std::int32_t>(
                        std::min<std::size_t>(kBlockFrames, (minute.size() - done) / 2));
                    sink->Write(minute.data() + done, frames);
                }
            }
            if (!sink->Finish()) {
                std::abort();
            }
        }
        const auto start = std::chrono::steady_clock::now();
        SVLoadFile load(path, document, false);
        if (RunBenchProcess(load) != PROCESS_DONE ||
            document.GetLength() != kMinutes * 60 * kBenchRate) {
            std::fprintf(stderr, "the hour did not load\n");
            std::abort();
        }
        load_milliseconds =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
    }
};

Hour& TheHour() {
    static Hour hour;
    return hour;
}

// Reported once: the load is too long to repeat.
void BM_OpenHourWav(benchmark::State& state) {
    Hour& hour = TheHour();
    for (auto _ : state) {
        state.SetIterationTime(hour.load_milliseconds / 1000.0);
    }
}

void BM_WholeFileView(benchmark::State& state) {
    const LCutListAudio& document = TheHour().document;
    const WaveColumnMapping mapping(0, document.GetLength(), kColumns);
    WaveColumns columns;
    for (auto _ : state) {
        ComputeWaveColumns(document, mapping, 0, kColumns, {}, columns);
        benchmark::DoNotOptimize(columns.upper.data());
    }
}

QApplication& OffscreenApp() {
    static int argc = 1;
    static char name[] = "view_bench";
    static char* argv[] = {name, nullptr};
    static QApplication* application = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
        return new QApplication(argc, argv);
    }();
    return *application;
}

// From the request to the painted image: what a user waits for after the load.
void BM_DrawWholeHour(benchmark::State& state) {
    const LCutListAudio& document = TheHour().document;
    OffscreenApp();
    LSVWaveWindow window;
    window.resize(kColumns + 2, 400);
    QImage image(window.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        window.Start(document, {});  // forgets the columns: all are computed again
        window.SetDataEnd(document.GetLength());
        window.SetRequest(0, document.GetLength());
        if (!window.WaitForColumns()) {
            state.SkipWithError("no columns");
            break;
        }
        window.render(&image);
        benchmark::DoNotOptimize(image.bits());
    }
}

// A view of `frames_per_column` × 2048 frames in the middle of the hour, scrolled on by a tenth
// (state.range(1) = 1) or computed whole (0).
void BM_Scroll(benchmark::State& state) {
    const LCutListAudio& document = TheHour().document;
    const auto length = static_cast<std::int32_t>(state.range(0) * kColumns);
    const std::int32_t start = document.GetLength() / 2;
    const bool tenth = state.range(1) == 1;
    const WaveColumnMapping mapping(start + length / 10, length, kColumns);
    const int from = tenth ? kColumns - kColumns / 10 - 1 : 0;
    WaveColumns columns;
    for (auto _ : state) {
        ComputeWaveColumns(document, mapping, from, kColumns, {}, columns);
        benchmark::DoNotOptimize(columns.upper.data());
    }
}

BENCHMARK(BM_OpenHourWav)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeFileView)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawWholeHour)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Scroll)
    ->ArgNames({"frames_per_column", "tenth"})
    ->Args({2048, 1})
    ->Args({2048, 0})
    ->Args({128, 1})
    ->Args({128, 0})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sonvara
