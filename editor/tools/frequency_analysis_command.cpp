// The tools menu's frequency analysis: the spectrum of 4096 frames of the current file from its
// cursor, or from the frame heard while the file plays, in a window that follows both.

#include <optional>

#include "editor/common/file_window.h"
#include "editor/frame/main_window.h"
#include "editor/tools/fft_dialog.h"

namespace sonvara {

void MainDialog::CmFrequencyAnalyze() {
    if (current_ == nullptr) {
        return;
    }
    auto analysis = [this]() -> std::optional<LSVFFTDlg::Analysis> {
        LSVFileWindow* file = current_;
        if (file == nullptr) {
            return std::nullopt;
        }
        const LCutListAudio& audio = file->Document().Audio();
        const std::int32_t frame = PlayingFile() == file && transport_->IsActive()
                                       ? transport_->HeardFrame()
                                       : file->Document().Positions().cursor;
        return LSVFFTDlg::Analysis{audio.GetSampleRate(), frame, AnalyzeSpectrum(audio, frame)};
    };
    // One window follows every file: a second use brings it forward.
    auto* dialog = findChild<LSVFFTDlg*>();
    if (dialog == nullptr) {
        dialog = new LSVFFTDlg(*analysis(), analysis, this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
    } else {
        dialog->Follow();
    }
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

}  // namespace sonvara
