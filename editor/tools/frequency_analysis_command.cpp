// The tools menu's frequency analysis: the spectrum of 4096 frames of the current file from its
// cursor, or from the frame heard while the file plays, in a window that follows both.

#include <optional>

#include "editor/common/dialog_parts.h"
#include "editor/common/file_window.h"
#include "editor/common/workspace.h"
#include "editor/tools/fft_dialog.h"
#include "editor/tools/tool_controller.h"
#include "editor/transport/transport_controller.h"

namespace sonvara {

void ToolController::CmFrequencyAnalyze() {
    if (workspace_.CurrentFile() == nullptr) {
        return;
    }
    auto analysis = [this]() -> std::optional<LSVFFTDlg::Analysis> {
        LSVFileWindow* file = workspace_.CurrentFile();
        if (file == nullptr) {
            return std::nullopt;
        }
        const LCutListAudio& audio = file->Document().Audio();
        const LTransport& transport = transport_.Transport();
        const std::int32_t frame = transport_.PlayingFile() == file && transport.IsActive()
                                       ? transport.HeardFrame()
                                       : file->Document().Positions().cursor;
        return LSVFFTDlg::Analysis{audio.GetSampleRate(), frame, AnalyzeSpectrum(audio, frame)};
    };
    // One window follows every file: a second use brings it forward.
    auto* dialog = workspace_.Frame()->findChild<LSVFFTDlg*>();
    if (dialog == nullptr) {
        dialog = new LSVFFTDlg(*analysis(), analysis, workspace_.Frame());
        dialog->setAttribute(Qt::WA_DeleteOnClose);
    } else {
        dialog->Follow();
    }
    BringForward(*dialog);
}

}  // namespace sonvara
