// The frame's edit commands on the current file: undo and redo, the internal and the system
// clipboard, delete, the trims, silence and copy to a new file. The document does the change and
// records its undo step; the frame stops playback before it and refreshes the views and menus
// after.

#include <QApplication>
#include <QClipboard>
#include <cstdint>
#include <memory>

#include "editor/common/file_window.h"
#include "editor/edit/clipboard_wave_data.h"
#include "editor/edit/clipboard_wave_file.h"
#include "editor/frame/main_window.h"
#include "formats/load_save.h"

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
    if (current_ != nullptr && EditCopy(current_->Document(), clipboard_)) {
        QApplication::clipboard()->setMimeData(ClipboardWaveData::FromCutList(clipboard_));
        EnableMenuOptions();
    }
}

void MainDialog::PasteIntoCurrentFile(const LAudioClipboard& source) {
    LSVFileWindow* file = current_;
    StopPlaying(file);
    // A cancelled or failed conversion leaves the document as it was.
    RunProcess(
        [file, &source](ProcessHost& host) { return EditPaste(file->Document(), source, host); },
        file);
    file->RefreshView();
    EnableMenuOptions();
}

void MainDialog::CmPaste() {
    if (current_ != nullptr && ClipboardHoldsAudio()) {
        PasteIntoCurrentFile(clipboard_);
    }
}

bool MainDialog::ReadSystemClipboard(LAudioClipboard& source, LSVFileWindow* file) {
    const ClipboardWaveFile wave = ClipboardWaveFile::Read(QApplication::clipboard()->mimeData());
    if (!wave.IsValid()) {
        prompts_->Ask({"Sonvara", wave.Error(), PromptIcon::kWarning, PromptButtons::kOk});
        return false;
    }
    SVLoadFile load(wave.Path(), source, false);
    const ProcessResult loaded = RunProcess(load, file);
    if (loaded == PROCESS_FAILED) {
        prompts_->Ask({"Sonvara", "No se puede leer el audio del portapapeles.",
                       PromptIcon::kWarning, PromptButtons::kOk});
    }
    return loaded == PROCESS_DONE;
}

void MainDialog::CmPasteFromSystem() {
    LSVFileWindow* file = current_;
    LAudioClipboard source;
    if (file != nullptr && ReadSystemClipboard(source, file)) {
        PasteIntoCurrentFile(source);
    }
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

void MainDialog::CmCopyToNew() {
    if (current_ == nullptr || !HasValidSelection(current_->Document())) {
        return;
    }
    OpenAsNewFile(EditCopyToNew(current_->Document()));
}

}  // namespace sonvara
