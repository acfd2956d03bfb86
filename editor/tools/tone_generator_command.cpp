// The tools menu's tone generator: a new untitled file holding what the dialog asks for, written
// into the working folder behind the progress dialog.

#include <memory>

#include "document/load_source.h"
#include "editor/common/file_window.h"
#include "editor/common/workspace.h"
#include "editor/tools/tone_generator_dialog.h"
#include "editor/tools/tool_controller.h"

namespace sonvara {

void ToolController::CmToneGenerator() {
    LToneGeneratorDlg dialog(workspace_.CurrentPrompts(), workspace_.Frame());
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const ToneParameters& parameters = dialog.Parameters();
    LCutListAudio audio;
    audio.SetFormat(parameters.sample_rate, parameters.channels);
    ProcessResult result = PROCESS_FAILED;
    {
        // The generated frames belong to the file once the process has ended.
        LCutListAudioLoadSource generate("Generador de Tonos", MakeToneSource(parameters), audio);
        result = workspace_.RunProcess(generate);
    }
    // A cancelled or failed generation makes no file.
    if (result != PROCESS_DONE) {
        return;
    }
    workspace_.OpenAsNewFile(std::move(audio));
}

}  // namespace sonvara
