#include "formats/compare_file.h"

#include <vector>

#include "core/paths.h"
#include "document/cut_list_reader.h"
#include "formats/load_save.h"

namespace sonvara {

ProcessResult LSVCompareWithFile::Body() {
    SetText("Comparando con " + GetFileFromPath(path_), 0);
    SetProgress(0);
    same_ = false;
    LSoundSourceRef file = OpenSourceForLoad(path_, ReadRawFileSettings());
    LSRCCutListAudio held(audio_);
    if (file->IsError() || file->GetSampleRate() != held.GetSampleRate() ||
        file->GetChannels() != held.GetChannels()) {
        return PROCESS_DONE;
    }
    const std::size_t samples = static_cast<std::size_t>(kBlockFrames) * held.GetChannels();
    std::vector<Sample> ours(samples);
    std::vector<Sample> theirs(samples);
    const double total = std::max(held.GetLength(), 1);
    // A file's length may be an estimate until its end (MP3): both are read to their ends.
    while (held.GetPosition() < held.GetLength() || file->GetPosition() < file->GetLength()) {
        if (CheckCancel()) {
            return PROCESS_STOPPED;
        }
        held.Read(ours.data(), kBlockFrames);
        file->Read(theirs.data(), kBlockFrames);
        if (file->IsError() || held.IsError() || ours != theirs) {
            return PROCESS_DONE;
        }
        SetProgress(held.GetPosition() / total);
    }
    same_ = file->GetLength() == held.GetLength();
    return PROCESS_DONE;
}

}  // namespace sonvara
