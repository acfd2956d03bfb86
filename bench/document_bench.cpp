// The edit document in numbers. Edits on cut lists, in microseconds: they rewrite records and
// never touch audio, so their cost follows the number of records and not the length of the
// sound (a list of 10,000 records against an hour in ten). Reading a document back and writing
// a load through the cut writer, in times real time for 44.1 kHz stereo. The editor's cut, paste
// and undo on a document of 10,000 records, 10 and 60 minutes long, in microseconds, and what an
// undo ring of 100 steps holds on the hour: cut-list bytes in memory, cut files on disk.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_host.h"
#include "bench/bench_music.h"
#include "bench/bench_tank.h"
#include "core/settings.h"
#include "document/cut_list_audio.h"
#include "document/cut_list_reader.h"
#include "document/cut_tank.h"
#include "document/cut_writer.h"
#include "document/edit_commands.h"
#include "document/edit_document.h"

namespace sonvara {
namespace {

constexpr int kChannels = 2;
constexpr std::int32_t kReadSeconds = 60;

void UseBenchTank() {
    static BenchTank tank("sonvara-document-bench");
}

const std::vector<Sample>& Music() {
    static const std::vector<Sample> music = BenchMusic(kReadSeconds, 0.9, 0.7);
    return music;
}

// Writes the first `frames` frames of the music into `list` as one cut, in blocks.
void Load(LCutListAudio& list, std::int32_t frames) {
    const std::vector<Sample>& music = Music();
    if (static_cast<std::size_t>(frames) * kChannels > music.size()) {
        std::abort();
    }
    LSoundSinkRef writer(new LSNKCutListAudio(list, kBenchRate, kChannels));
    for (std::int32_t done = 0; done < frames; done += kBlockFrames) {
        writer->Write(music.data() + static_cast<std::size_t>(done) * kChannels,
                      std::min(kBlockFrames, frames - done));
    }
    if (!writer->Finish()) {
        std::abort();
    }
}

// 10,000 records of 100 frames, each a slice of one cut: 10,000 × 101 frames written, then the
// last frame of every 101 deleted, from the back so that each delete meets the unsplit head.
LCutListAudio TenThousandRecords() {
    constexpr std::int32_t kRecords = 10000;
    LCutListAudio list;
    Load(list, kRecords * 101);
    for (std::int32_t k = kRecords; k >= 1; --k) {
        list.EfDelete(k * 101 - 1, k * 101);
    }
    return list;
}

// An hour in ten records. The cut holds its first and last blocks with the write position moved
// over the hour between (a sparse file: edits never read it), then one frame goes at nine places.
LCutListAudio HourInTenRecords() {
    constexpr std::int32_t kFrames = 3600 * kBenchRate;
    LCutListAudio list;
    {
        LSoundSinkRef writer(new LSNKCutListAudio(list, kBenchRate, kChannels));
        writer->Write(Music().data(), kBlockFrames);
        writer->Truncate(kFrames - kBlockFrames);
        writer->Write(Music().data(), kBlockFrames);
        if (!writer->Finish()) {
            std::abort();
        }
    }
    for (std::int32_t k = 9; k >= 1; --k) {
        list.EfDelete(k * (kFrames / 10), k * (kFrames / 10) + 1);
    }
    return list;
}

using MakeList = LCutListAudio (*)();

// Where each record starts, and the list's length last.
std::vector<std::int32_t> Boundaries(const LCutListAudio& list) {
    std::vector<std::int32_t> starts;
    std::int32_t p = 0;
    for (const LCutRecord& record : list.Records()) {
        starts.push_back(p);
        p += record.length;
    }
    starts.push_back(p);
    return starts;
}

// A list and a range in its middle on record boundaries: one hundredth of the records (at
// least one), so that undoing an edit between iterations leaves the records as they were.
struct EditTarget {
    explicit EditTarget(MakeList make) : list(make()) {
        const std::vector<std::int32_t> starts = Boundaries(list);
        const std::size_t records = starts.size() - 1;
        const std::size_t span = std::max<std::size_t>(records / 100, 1);
        start = starts[records / 2];
        end = starts[records / 2 + span];
        ten_records_end = starts[std::min<std::size_t>(10, records)];
    }

    LCutListAudio list;
    std::int32_t start;
    std::int32_t end;
    std::int32_t ten_records_end;  // [0, ten_records_end) holds ten records
};

void SetRecordsLabel(benchmark::State& state, const LCutListAudio& list) {
    const std::size_t records = list.Records().Count();
    state.SetLabel(std::to_string(records) + (records == 1 ? " record, " : " records, ") +
                   std::to_string(list.GetLength() / kBenchRate) + " s");
}

// The delete and insert figures undo their edit between iterations with the timer paused; the
// pause itself still shows in them, by this much.
void BM_PauseAroundUndo(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PauseAroundUndo)->Unit(benchmark::kMicrosecond);

void BM_EfDeleteMiddle(benchmark::State& state, MakeList make) {
    UseBenchTank();
    EditTarget target(make);
    LCutListAudio removed;
    target.list.EfCopy(target.start, target.end, removed);
    SetRecordsLabel(state, target.list);
    for (auto _ : state) {
        target.list.EfDelete(target.start, target.end);
        state.PauseTiming();
        target.list.Insert(target.start, removed);
        state.ResumeTiming();
    }
}

void BM_InsertTenRecordsMiddle(benchmark::State& state, MakeList make) {
    UseBenchTank();
    EditTarget target(make);
    LCutListAudio ten;
    target.list.EfCopy(0, target.ten_records_end, ten);
    SetRecordsLabel(state, target.list);
    for (auto _ : state) {
        target.list.Insert(target.start, ten);
        state.PauseTiming();
        target.list.EfDelete(target.start, target.start + target.ten_records_end);
        state.ResumeTiming();
    }
}

void BM_EfCopyMiddle(benchmark::State& state, MakeList make) {
    UseBenchTank();
    EditTarget target(make);
    LCutListAudio clip;
    SetRecordsLabel(state, target.list);
    for (auto _ : state) {
        target.list.EfCopy(target.start, target.end, clip);
    }
}

// 50 % and 200 % in turn: the gains stay within two values and the records on their boundaries.
void BM_EfAmplifyMiddle(benchmark::State& state, MakeList make) {
    UseBenchTank();
    EditTarget target(make);
    SetRecordsLabel(state, target.list);
    bool down = true;
    for (auto _ : state) {
        target.list.EfAmplify(target.start, target.end, down ? 50 : 200);
        down = !down;
    }
}

// What an undo point costs: the whole list copied into a slot that held an older copy.
void BM_UndoPointCopy(benchmark::State& state, MakeList make) {
    UseBenchTank();
    EditTarget target(make);
    LCutListAudio point = target.list;
    SetRecordsLabel(state, target.list);
    for (auto _ : state) {
        point = target.list;
        benchmark::DoNotOptimize(point);
    }
}

#define SONVARA_EDIT_BENCHMARK(name)                                   \
    BENCHMARK_CAPTURE(name, ten_thousand_records, &TenThousandRecords) \
        ->Unit(benchmark::kMicrosecond);                               \
    BENCHMARK_CAPTURE(name, hour_in_ten_records, &HourInTenRecords)->Unit(benchmark::kMicrosecond)

SONVARA_EDIT_BENCHMARK(BM_EfDeleteMiddle);
SONVARA_EDIT_BENCHMARK(BM_InsertTenRecordsMiddle);
SONVARA_EDIT_BENCHMARK(BM_EfCopyMiddle);
SONVARA_EDIT_BENCHMARK(BM_EfAmplifyMiddle);
SONVARA_EDIT_BENCHMARK(BM_UndoPointCopy);

// `minutes` of stereo in 10,000 records: a sparse cut as in HourInTenRecords, one frame deleted
// at 9,999 evenly spaced places.
LCutListAudio MinutesInTenThousandRecords(std::int32_t minutes) {
    const std::int32_t frames = minutes * 60 * kBenchRate;
    LCutListAudio list;
    {
        LSoundSinkRef writer(new LSNKCutListAudio(list, kBenchRate, kChannels));
        writer->Write(Music().data(), kBlockFrames);
        writer->Truncate(frames - kBlockFrames);
        writer->Write(Music().data(), kBlockFrames);
        if (!writer->Finish()) {
            std::abort();
        }
    }
    const std::int32_t step = frames / 10000;
    for (std::int32_t k = 9999; k >= 1; --k) {
        list.EfDelete(k * step, k * step + 1);
    }
    return list;
}

// An editor's document over that list with the deepest undo ring, the selection on one hundredth
// of the records in the middle.
struct EditorTarget {
    explicit EditorTarget(std::int32_t minutes) {
        WriteInt("Settings", "UndoLevels", LEditDocument::kMaxUndoLevels);
        document.Audio() = MinutesInTenThousandRecords(minutes);
        const std::vector<std::int32_t> starts = Boundaries(document.Audio());
        const std::size_t records = starts.size() - 1;
        selection = {starts[records / 2], starts[records / 2 + records / 100]};
        document.Positions() = {selection.start, selection.start, selection.end, 0,
                                document.Audio().GetLength()};
    }
    void Select() {
        document.Positions().selection_start = selection.start;
        document.Positions().selection_end = selection.end;
    }

    LEditDocument document;
    FrameRange selection;
};

void SetDocumentLabel(benchmark::State& state, const LEditDocument& document) {
    SetRecordsLabel(state, document.Audio());
}

void BM_EditorCut(benchmark::State& state) {
    UseBenchTank();
    EditorTarget target(static_cast<std::int32_t>(state.range(0)));
    LAudioClipboard clipboard;
    SetDocumentLabel(state, target.document);
    for (auto _ : state) {
        EditCut(target.document, clipboard);
        state.PauseTiming();
        target.document.Undo();
        target.Select();
        state.ResumeTiming();
    }
}

void BM_EditorPaste(benchmark::State& state) {
    UseBenchTank();
    EditorTarget target(static_cast<std::int32_t>(state.range(0)));
    LAudioClipboard clipboard;
    EditCopy(target.document, clipboard);
    QueueMessageLoop loop;
    SilentProgressView view;
    NoPrompts prompts;
    ProcessHost host{loop, view, prompts};
    SetDocumentLabel(state, target.document);
    for (auto _ : state) {
        if (EditPaste(target.document, clipboard, host) != PROCESS_DONE) {
            std::abort();
        }
        state.PauseTiming();
        target.document.Undo();
        target.Select();
        state.ResumeTiming();
    }
}

void BM_EditorUndo(benchmark::State& state) {
    UseBenchTank();
    EditorTarget target(static_cast<std::int32_t>(state.range(0)));
    LAudioClipboard clipboard;
    SetDocumentLabel(state, target.document);
    for (auto _ : state) {
        state.PauseTiming();
        EditCut(target.document, clipboard);
        target.Select();
        state.ResumeTiming();
        target.document.Undo();
    }
}

BENCHMARK(BM_EditorCut)->ArgName("minutes")->Arg(10)->Arg(60)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EditorPaste)->ArgName("minutes")->Arg(10)->Arg(60)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EditorUndo)
    ->ArgName("minutes")
    ->Arg(10)
    ->Arg(60)
    ->Iterations(2000)  // each pays an untimed cut first
    ->Unit(benchmark::kMicrosecond);

std::size_t FilesUnder(const std::string& folder) {
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        files += entry.is_regular_file() ? 1 : 0;
    }
    return files;
}

// 100 cuts fill the ring: its memory is the records of 100 lists, each node of the list a record
// and two links; the cut files on disk stay those the hour was written into.
void BM_UndoRingOfHundredCuts(benchmark::State& state) {
    UseBenchTank();
    const std::string folder = CutTank().Folder();
    for (auto _ : state) {
        state.PauseTiming();
        EditorTarget target(60);
        LAudioClipboard clipboard;
        const std::size_t files_before = FilesUnder(folder);
        state.ResumeTiming();
        for (int step = 0; step < LEditDocument::kMaxUndoLevels; ++step) {
            target.document.Positions().selection_start = step * kBenchRate;
            target.document.Positions().selection_end = step * kBenchRate + kBenchRate / 10;
            EditCut(target.document, clipboard);
        }
        state.PauseTiming();
        const std::size_t records = target.document.HeldRecords();
        state.counters["steps"] = static_cast<double>(LEditDocument::kMaxUndoLevels);
        state.counters["held_records"] = static_cast<double>(records);
        state.counters["ring_bytes"] =
            static_cast<double>(records * (sizeof(LCutRecord) + 2 * sizeof(void*)));
        state.counters["new_cut_files"] =
            static_cast<double>(FilesUnder(folder)) - static_cast<double>(files_before);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_UndoRingOfHundredCuts)->Iterations(3)->Unit(benchmark::kMillisecond);

// The music as one cut.
LCutListAudio OneCut() {
    LCutListAudio list;
    Load(list, kReadSeconds * kBenchRate);
    return list;
}

// The same music in 1,000 records: 1,000 stretches of it copied and pasted end to end.
LCutListAudio ThousandRecords() {
    const LCutListAudio one = OneCut();
    const std::int32_t piece = one.GetLength() / 1000;
    LCutListAudio list;
    list.SetFormat(one.GetSampleRate(), one.GetChannels());
    LCutListAudio stretch;
    for (std::int32_t k = 0; k < 1000; ++k) {
        one.EfCopy(k * piece, (k + 1) * piece, stretch);
        list.Insert(list.GetLength(), stretch);
    }
    return list;
}

// The same, every other record at 70 %: the reader multiplies half the samples.
LCutListAudio ThousandRecordsHalfAt70Percent() {
    LCutListAudio list = ThousandRecords();
    const std::int32_t piece = list.GetLength() / 1000;
    for (std::int32_t k = 0; k < 1000; k += 2) {
        list.EfAmplify(k * piece, (k + 1) * piece, 70);
    }
    return list;
}

void BM_ReadDocument(benchmark::State& state, MakeList make) {
    UseBenchTank();
    const LCutListAudio list = make();
    SetRecordsLabel(state, list);
    std::vector<Sample> block(static_cast<std::size_t>(kChannels) * kBlockFrames);
    for (auto _ : state) {
        LSRCCutListAudio reader(list);
        while (reader.GetPosition() < reader.GetLength()) {
            reader.Read(block.data(), kBlockFrames);
        }
        benchmark::DoNotOptimize(block.data());
    }
    state.counters["x_realtime"] = benchmark::Counter(
        static_cast<double>(kReadSeconds) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate);
}
BENCHMARK_CAPTURE(BM_ReadDocument, one_cut, &OneCut)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadDocument, thousand_records, &ThousandRecords)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadDocument, thousand_records_half_at_70_percent,
                  &ThousandRecordsHalfAt70Percent)
    ->Unit(benchmark::kMillisecond);

// The load path: each pass writes a new cut (file and graph) and the previous one is deleted
// when the list lets go of it.
void BM_WriteThroughCutWriter(benchmark::State& state) {
    UseBenchTank();
    LCutListAudio list;
    for (auto _ : state) {
        Load(list, kReadSeconds * kBenchRate);
    }
    state.counters["x_realtime"] = benchmark::Counter(
        static_cast<double>(kReadSeconds) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WriteThroughCutWriter)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sonvara
