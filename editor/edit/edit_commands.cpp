// The edit commands on the current file: undo and redo, the internal and the system
// clipboard, delete, the trims, silence, copy to a new file and the selection commands. The
// document does the change and records its undo step; the room stops playback before it and
// refreshes the views and menus after.

#include <QApplication>
#include <QClipboard>
#include <cstdint>
#include <memory>

#include "editor/common/file_window.h"
#include "editor/common/workspace.h"
#include "editor/edit/clipboard_wave_data.h"
#include "editor/edit/clipboard_wave_file.h"
#include "editor/edit/edit_controller.h"
#include "formats/load_save.h"

namespace sonvara {

bool EditController::ClipboardHoldsAudio() const {
    const std::int64_t rate = clipboard_.GetSampleRate();
    return rate > 0 && std::int64_t{clipboard_.GetLength()} * 1000 / rate >= 1;
}

void EditController::EditCurrentFile(const std::function<void(LEditDocument&)>& edit, bool whole) {
    LSVFileWindow* file = workspace_.CurrentFile();
    if (file == nullptr) {
        return;
    }
    workspace_.StopPlaying(file);
    edit(file->Document());
    file->RefreshView();
    if (whole) {
        file->ZoomWhole();
    }
    workspace_.Changed();
}

void EditController::CmUndo() {
    EditCurrentFile([](LEditDocument& document) { document.Undo(); });
}

void EditController::CmRedo() {
    EditCurrentFile([](LEditDocument& document) { document.Redo(); });
}

void EditController::CmCut() {
    EditCurrentFile([this](LEditDocument& document) { EditCut(document, clipboard_); });
}

void EditController::CmCopy() {
    // No change to the document: playback goes on.
    const LSVFileWindow* file = workspace_.CurrentFile();
    if (file != nullptr && EditCopy(file->Document(), clipboard_)) {
        QApplication::clipboard()->setMimeData(ClipboardWaveData::FromCutList(clipboard_));
        workspace_.Changed();
    }
}

void EditController::PasteIntoCurrentFile(const LAudioClipboard& source) {
    LSVFileWindow* file = workspace_.CurrentFile();
    if (!PasteFits(file->Document(), source)) {
        workspace_.CurrentPrompts().Ask(
            {"Sonvara",
             "No se puede pegar: el archivo pasaría de la duración más larga que admite.",
             PromptIcon::kWarning, PromptButtons::kOk});
        return;
    }
    workspace_.StopPlaying(file);
    // A cancelled or failed conversion leaves the document as it was.
    workspace_.RunProcess(
        [file, &source](ProcessHost& host) { return EditPaste(file->Document(), source, host); },
        file);
    file->RefreshView();
    workspace_.Changed();
}

void EditController::CmPaste() {
    if (workspace_.CurrentFile() != nullptr && ClipboardHoldsAudio()) {
        PasteIntoCurrentFile(clipboard_);
    }
}

bool EditController::ReadSystemClipboard(LAudioClipboard& source, LSVFileWindow* file) {
    const ClipboardWaveFile wave = ClipboardWaveFile::Read(QApplication::clipboard()->mimeData());
    if (!wave.IsValid()) {
        workspace_.CurrentPrompts().Ask(
            {"Sonvara", wave.Error(), PromptIcon::kWarning, PromptButtons::kOk});
        return false;
    }
    SVLoadFile load(wave.Path(), source, false);
    const ProcessResult loaded = workspace_.RunProcess(load, file);
    if (loaded == PROCESS_FAILED) {
        workspace_.CurrentPrompts().Ask({"Sonvara", "No se puede leer el audio del portapapeles.",
                                         PromptIcon::kWarning, PromptButtons::kOk});
    }
    return loaded == PROCESS_DONE;
}

void EditController::CmPasteFromSystem() {
    LSVFileWindow* file = workspace_.CurrentFile();
    LAudioClipboard source;
    if (file != nullptr && ReadSystemClipboard(source, file)) {
        PasteIntoCurrentFile(source);
    }
}

void EditController::CmClear() {
    EditCurrentFile([](LEditDocument& document) { EditDelete(document); });
}

void EditController::CmTrim() {
    EditCurrentFile([](LEditDocument& document) { EditTrim(document); }, true);
}

void EditController::CmTrimStart() {
    EditCurrentFile([](LEditDocument& document) { EditTrimStart(document); }, true);
}

void EditController::CmTrimEnd() {
    EditCurrentFile([](LEditDocument& document) { EditTrimEnd(document); }, true);
}

void EditController::CmEditSilence() {
    EditCurrentFile([](LEditDocument& document) { EditSilence(document); });
}

void EditController::CmCopyToNew() {
    const LSVFileWindow* file = workspace_.CurrentFile();
    if (file == nullptr || !HasValidSelection(file->Document())) {
        return;
    }
    workspace_.OpenAsNewFile(EditCopyToNew(file->Document()));
}

void EditController::CmSelectAll() {
    LSVFileWindow* file = workspace_.CurrentFile();
    if (file == nullptr) {
        return;
    }
    workspace_.ModifySelection(0, file->Document().Audio().GetLength(),
                               file->Document().Positions().cursor);
    file->ZoomWhole();
}

void EditController::CmSelectToStart() {
    if (const LSVFileWindow* file = workspace_.CurrentFile()) {
        const std::int32_t cursor = file->Document().Positions().cursor;
        workspace_.ModifySelection(0, cursor, cursor);
    }
}

void EditController::CmSelectToEnd() {
    if (const LSVFileWindow* file = workspace_.CurrentFile()) {
        const std::int32_t cursor = file->Document().Positions().cursor;
        workspace_.ModifySelection(cursor, file->Document().Audio().GetLength(), cursor);
    }
}

}  // namespace sonvara
