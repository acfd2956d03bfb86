// The record command: the record dialog over the current file, and each recording it hands over
// put in place of the selection as one undoable step.

#include <memory>

#include "devices/system_inputs.h"
#include "document/edit_commands.h"
#include "editor/common/file_window.h"
#include "editor/common/workspace.h"
#include "editor/transport/record_dialog.h"
#include "editor/transport/transport_controller.h"

namespace sonvara {

void TransportController::CmRecord() {
    LSVFileWindow* file = workspace_.CurrentFile();
    if (file == nullptr) {
        return;
    }
    CmStop();
    if (inputs_ == nullptr && !system_inputs_) {
        system_inputs_ = std::make_unique<SystemWaveInProvider>();
    }
    WaveInProvider& inputs = inputs_ != nullptr ? *inputs_ : *system_inputs_;
    FrameRange place = ClampedSelection(file->Document());
    if (place.Reversed()) {
        place = {place.end, place.start};
    }
    const std::int32_t first = place.start;
    bool recorded = false;
    // "Grabar siguiente" hands over what was recorded so far: it goes in now, and the next
    // recording after it.
    auto keep = [&](const LCutListAudio& recording) {
        PutRecording(file, recording, place);
        place = {place.end, place.end};
        recorded = true;
    };
    LRecordDlg dialog(transport_->Player(), *outputs_, inputs, workspace_.Loop(),
                      file->Document().Audio(), place, keep, &transport_->Notifications(), 0,
                      &workspace_.CurrentPrompts(), workspace_.Frame());
    if (dialog.exec() == QDialog::Accepted && dialog.Recording().GetLength() > 0) {
        PutRecording(file, dialog.Recording(), place);
        recorded = true;
    }
    if (recorded) {
        // The selection runs over everything recorded.
        workspace_.ModifySelection(first, place.end, first);
    }
    workspace_.Activate(file);
}

void TransportController::PutRecording(LSVFileWindow* file, const LCutListAudio& recording,
                                       FrameRange& place) {
    LEditDocument& document = file->Document();
    const bool was_empty = document.Audio().GetLength() == 0;
    StopPlaying(file);
    document.StartModifyCurrentFile("Record");
    document.Audio().Replace(place.start, place.end, recording);
    place.end = place.start + recording.GetLength();
    LEditPositions& positions = document.Positions();
    positions.selection_start = place.start;
    positions.selection_end = place.end;
    positions.cursor = place.start;
    if (was_empty) {
        file->ViewWholeDocument();
    } else {
        file->RefreshView();
    }
    file->ShowPositions();
    workspace_.Changed();
}

}  // namespace sonvara
