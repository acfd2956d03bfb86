// The frame's edit commands on the current file: undo and redo, the internal clipboard, delete,
// the trims and silence. The document does the change and records its undo step; the frame
// stops playback before it and refreshes the views and menus after.

#include <cstdint>

#include "app/file_window.h"
#include "app/main_window.h"

namespace sonvara {

bool MainDialog::ClipboardHoldsAudio() const {
    const std::int64_t rate = clipboard_.GetSampleRate();
    return rate > 0 && std::int64_t{clipboard_.GetLength()} * 1000 / rate >= 1;
}

void MainDialog::EditCurrentFile(const std::function<void(LEditDocument&)>& edit, bool whole) {
    LSVFileWindow* file = current_;
    if (file == nullptr) {
        return;
    }
    StopPlaying(file);
    edit(file->Document());
    file->RefreshView();
    if (whole) {
        file->ZoomWhole();
    }
    EnableMenuOptions();
}

void MainDialog::CmUndo() {
    EditCurrentFile([](LEditDocument& document) { document.Undo(); });
}

void MainDialog::CmRedo() {
    EditCurrentFile([](LEditDocument& document) { document.Redo(); });
}

void MainDialog::CmCut() {
    EditCurrentFile([this](LEditDocument& document) { EditCut(document, clipboard_); });
}

void MainDialog::CmCopy() {
    // No change to the document: playback goes on.
    if (current_ != nullptr) {
        EditCopy(current_->Document(), clipboard_);
        EnableMenuOptions();
    }
}

void MainDialog::CmPaste() {
    LSVFileWindow* file = current_;
    if (file == nullptr || !ClipboardHoldsAudio()) {
        return;
    }
    StopPlaying(file);
    // A cancelled or failed conversion leaves the document as it was.
    RunProcess(
        [this, file](ProcessHost& host) { return EditPaste(file->Document(), clipboard_, host); },
        file);
    file->RefreshView();
    EnableMenuOptions();
}

void MainDialog::CmClear() {
    EditCurrentFile([](LEditDocument& document) { EditDelete(document); });
}

void MainDialog::CmTrim() {
    EditCurrentFile([](LEditDocument& document) { EditTrim(document); }, true);
}

void MainDialog::CmTrimStart() {
    EditCurrentFile([](LEditDocument& document) { EditTrimStart(document); }, true);
}

void MainDialog::CmTrimEnd() {
    EditCurrentFile([](LEditDocument& document) { EditTrimEnd(document); }, true);
}

void MainDialog::CmEditSilence() {
    EditCurrentFile([](LEditDocument& document) { EditSilence(document); });
}

}  // namespace sonvara
