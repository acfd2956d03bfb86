#pragma once
// Assembling regions into one sound: the first region's audio, then each further one inserted
// at the end, with "AutoGap" silence before it when that is on.

#include <cstdint>
#include <vector>

#include "core/progress_dialog.h"
#include "document/cut_list_audio.h"

namespace sonvara {

struct AssembleOptions {
    bool auto_gap = true;
    std::int32_t gap_ms = 300;
};

// "AutoGap" and "AutoGapTime" of [Settings]; a negative time counts as 0.
AssembleOptions ReadAssembleOptions();
void StoreAssembleOptions(const AssembleOptions& options);

// Puts `parts` together in order into `result` (empty at 44100 Hz mono when there are none).
// A part of another rate or channel count is converted to the first one's behind the progress
// view "Insertar Archivo". `result` is set only when every step succeeded.
ProcessResult AssembleRegions(const std::vector<const LCutListAudio*>& parts,
                              const AssembleOptions& options, ProcessHost& host,
                              LCutListAudio& result);

}  // namespace sonvara
