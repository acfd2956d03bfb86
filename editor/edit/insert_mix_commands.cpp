// The edit commands that bring audio in or multiply it: paste mix (from the internal or
// the system clipboard), mix file, insert file and insert silence at the start, the cursor or the
// end, repeat, and auto trim. Each stops playback, records its undo point, makes the change (the
// longer ones behind the progress dialog, titled after the command) and ends the modification,
// which shows the result and plays it when "AutoPlaybackAfterEffects" is on. A cancelled or
// failed process takes its undo point back, so the file is as it was.

#include <QDialog>
#include <cstdint>
#include <string>
#include <utility>

#include "editor/common/file_window.h"
#include "editor/common/workspace.h"
#include "editor/edit/edit_controller.h"
#include "editor/edit/insert_silence_dialog.h"
#include "editor/edit/paste_mix_dialog.h"
#include "editor/edit/repeat_loop_dialog.h"
#include "effects/auto_trim.h"
#include "effects/mix_paste.h"

namespace sonvara {
namespace {

// Runs `step` in a progress dialog titled `caption`: the effects name themselves in the dialog's
// lines, the editor titles it after the command.
class LCommandProcess : public LProgressDialog {
  public:
    LCommandProcess(std::string caption, LProgressDialog& step)
        : LProgressDialog(std::move(caption)), step_(step) {}

  protected:
    ProcessResult Body() override { return RunStep(step_, 0.0, 1.0); }

  private:
    LProgressDialog& step_;
};

bool IsStereo(const LSVFileWindow& file) {
    return file.Document().Audio().GetChannels() == 2;
}

}  // namespace

void EditController::MixIntoCurrentFile(const std::string& name, const LCutListAudio& paste,
                                        const MixPasteParameters& parameters) {
    LSVFileWindow* file = workspace_.CurrentFile();
    LEditDocument& document = file->Document();
    const FrameRange range = ClampedSelection(document);
    EfMixPaste mix(document.Audio(), range, paste, parameters);
    LCommandProcess process(name, mix);
    if (paste.GetLength() <= 0 || workspace_.RunProcess(process, file) != PROCESS_DONE) {
        workspace_.CancelModifyCurrentFile();
        return;
    }
    const std::int32_t rate = document.Audio().GetSampleRate();
    const std::int64_t end =
        std::int64_t{range.start} +
        ConvertFramesThroughMilliseconds(paste.GetLength(), paste.GetSampleRate(), rate);
    document.Positions().selection_start = range.start;
    document.Positions().selection_end =
        static_cast<std::int32_t>(std::min<std::int64_t>(end, document.Audio().GetLength()));
    workspace_.EndModifyCurrentFile(range.start, rate / 2);
}

void EditController::CmPasteMix(bool from_system) {
    LSVFileWindow* file = workspace_.CurrentFile();
    if (file == nullptr || (!from_system && !ClipboardHoldsAudio())) {
        return;
    }
    const std::string name = "Pegar y Mezclar";
    workspace_.StartModifyCurrentFile(name);
    LSVPasteFileMixDlg dialog(QString::fromStdString(name), IsStereo(*file),
                              HasValidSelection(file->Document()), workspace_.CurrentPrompts(),
                              workspace_.Frame());
    const bool accepted = dialog.exec() == QDialog::Accepted;
    workspace_.Activate(file);
    if (!accepted) {
        return;  // the undo point stays, and the file is marked modified
    }
    if (!from_system) {
        MixIntoCurrentFile(name, clipboard_, dialog.Parameters());
        return;
    }
    LAudioClipboard source;
    if (!ReadSystemClipboard(source, file)) {
        workspace_.CancelModifyCurrentFile();
        return;
    }
    MixIntoCurrentFile(name, source, dialog.Parameters());
}

void EditController::CmMixFile() {
    LSVFileWindow* file = workspace_.CurrentFile();
    if (file == nullptr) {
        return;
    }
    workspace_.StopPlaying(file);
    const QString path = workspace_.Questions().AskAudioFile("MixFileDir");
    workspace_.Activate(file);
    if (path.isEmpty()) {
        return;
    }
    const std::string name = "Mezclar archivo";
    LSVPasteFileMixDlg dialog(QString::fromStdString(name), IsStereo(*file),
                              HasValidSelection(file->Document()), workspace_.CurrentPrompts(),
                              workspace_.Frame());
    const bool accepted = dialog.exec() == QDialog::Accepted;
    workspace_.Activate(file);
    LCutListAudio paste;
    if (!accepted || !workspace_.LoadAudio(path.toStdString(), paste, true, file)) {
        return;
    }
    workspace_.StartModifyCurrentFile(name);
    MixIntoCurrentFile(name, paste, dialog.Parameters());
}

void EditController::CmInsertFile(InsertPlace place) {
    LSVFileWindow* file = workspace_.CurrentFile();
    if (file == nullptr) {
        return;
    }
    workspace_.StopPlaying(file);
    const QString path = workspace_.Questions().AskAudioFile("InsertFileDir");
    workspace_.Activate(file);
    LCutListAudio source;
    if (path.isEmpty() || !workspace_.LoadAudio(path.toStdString(), source, true, file)) {
        return;
    }
    workspace_.StopPlaying(file);
    const ProcessResult inserted = workspace_.RunProcess(
        [&](ProcessHost& host) { return EditInsertFile(file->Document(), place, source, host); },
        file);
    if (inserted == PROCESS_FAILED && source.GetLength() > 0) {
        // Too long for a document, or not convertible to its format.
        workspace_.CurrentPrompts().Ask(
            {"Sonvara", "No se puede insertar el archivo \"" + path.toStdString() + "\".",
             PromptIcon::kWarning, PromptButtons::kOk});
    }
    file->RefreshView();
    workspace_.Changed();
}

void EditController::CmInsertSilence(InsertPlace place) {
    LSVFileWindow* file = workspace_.CurrentFile();
    if (file == nullptr) {
        return;
    }
    LSVInsertSilenceDlg dialog(workspace_.CurrentPrompts(), workspace_.Frame());
    const bool accepted = dialog.exec() == QDialog::Accepted;
    workspace_.Activate(file);
    if (accepted) {
        const std::int32_t milliseconds = dialog.Parameters().time_ms;
        EditCurrentFile([place, milliseconds](LEditDocument& document) {
            EditInsertSilence(document, place, milliseconds);
        });
    }
}

void EditController::CmRepeatLoop() {
    LSVFileWindow* file = workspace_.CurrentFile();
    if (file == nullptr || !HasValidSelection(file->Document())) {
        return;
    }
    LSVRepeatLoopDlg dialog(workspace_.CurrentPrompts(), workspace_.Frame());
    const bool accepted = dialog.exec() == QDialog::Accepted;
    workspace_.Activate(file);
    if (accepted) {
        const std::int32_t times = dialog.Parameters().times;
        EditCurrentFile([times](LEditDocument& document) { EditRepeat(document, times); });
    }
}

void EditController::CmAutoTrim() {
    LSVFileWindow* file = workspace_.CurrentFile();
    if (file == nullptr) {
        return;
    }
    const std::string name = "Auto recortar";
    workspace_.StartModifyCurrentFile(name);
    LEditDocument& document = file->Document();
    EfAutotrim trim(document.Audio(), ReadStored(kAutoTrimStored));
    LCommandProcess process(name, trim);
    if (workspace_.RunProcess(process, file) != PROCESS_DONE) {
        workspace_.CancelModifyCurrentFile();
        return;
    }
    // Cursor and selection at the start of the whole, shorter file.
    document.Positions() = {0, 0, 0, 0, document.Audio().GetLength()};
    workspace_.EndModifyCurrentFile(0, 0);
    file->ZoomWhole();
}

}  // namespace sonvara
