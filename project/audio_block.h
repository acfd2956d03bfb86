#pragma once
// The audio block of a project file, for its files and its regions: sample rate (i32), channel
// count (u8), frame count n (i32), then n frames of 32-bit little-endian samples, interleaved,
// moved in blocks of 8192 frames. Both run as a part of a process: they check for a cancel and
// report progress after every block.

#include <cstdint>

#include "core/progress_dialog.h"
#include "document/cut_list_audio.h"
#include "project/record_stream.h"

namespace sonvara {

// How far a process has come through the bytes it moves; its bar shows done / total.
struct ByteProgress {
    std::int64_t done = 0;
    std::int64_t total = 1;
};

// The bytes the block of `audio` takes.
std::int64_t AudioBlockBytes(const LCutListAudio& audio);

// PROCESS_FAILED when a write failed, PROCESS_STOPPED on a cancel.
ProcessResult WriteAudioBlock(LProgressDialog& process, const LCutListAudio& audio,
                              RecordWriter& writer, ByteProgress& progress);

// Reads a block into `audio` through a cut writer. The header is checked first: a rate from 1 to
// 768000, one or two channels, and no more frames than the rest of the file holds. `audio` keeps
// what it held unless the whole block was read (PROCESS_DONE).
ProcessResult ReadAudioBlock(LProgressDialog& process, RecordReader& reader, LCutListAudio& audio);

}  // namespace sonvara
