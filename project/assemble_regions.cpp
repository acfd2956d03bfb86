#include "project/assemble_regions.h"

#include <algorithm>

#include "core/settings.h"
#include "document/edit_commands.h"
#include "document/edit_document.h"
#include "project/record_fields.h"

namespace sonvara {

AssembleOptions ReadAssembleOptions() {
    AssembleOptions options;
    options.auto_gap = ReadBool("Settings", "AutoGap", true);
    options.gap_ms = std::max(ReadInt("Settings", "AutoGapTime", 300), 0);
    return options;
}

void StoreAssembleOptions(const AssembleOptions& options) {
    WriteBool("Settings", "AutoGap", options.auto_gap);
    WriteInt("Settings", "AutoGapTime", options.gap_ms);
}

ProcessResult AssembleRegions(const std::vector<const LCutListAudio*>& parts,
                              const AssembleOptions& options, ProcessHost& host,
                              LCutListAudio& result) {
    if (parts.empty()) {
        result = LCutListAudio(44100, 1);
        return PROCESS_DONE;
    }
    LEditDocument document;
    document.Audio() = *parts.front();
    for (std::size_t i = 1; i < parts.size(); ++i) {
        LCutListAudio& audio = document.Audio();
        if (options.auto_gap) {
            const std::int64_t gap = MillisecondsToFrames(
                static_cast<std::uint32_t>(options.gap_ms), audio.GetSampleRate());
            if (gap + audio.GetLength() > INT32_MAX) {
                return PROCESS_FAILED;
            }
            audio.InsertSilence(audio.GetLength(), static_cast<std::int32_t>(gap));
        }
        if (parts[i]->GetLength() == 0) {
            continue;  // nothing to insert; an empty part would fail the insert
        }
        if (const ProcessResult inserted =
                EditInsertFile(document, InsertPlace::kEnd, *parts[i], host);
            inserted != PROCESS_DONE) {
            return inserted;
        }
    }
    result = document.Audio();
    return PROCESS_DONE;
}

}  // namespace sonvara
