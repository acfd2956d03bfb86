// "Análisis de Sonoridad": the loudness of the current file's selection (or of the whole file
// when nothing is selected), measured behind the progress dialog and shown in its window.

#include "document/cut_list_reader.h"
#include "document/edit_commands.h"
#include "editor/common/file_window.h"
#include "editor/common/workspace.h"
#include "editor/tools/loudness_dialog.h"
#include "editor/tools/tool_controller.h"
#include "editor_model/time_fields.h"
#include "effects/loudness_meter.h"

namespace sonvara {

void ToolController::CmLoudnessAnalysis() {
    LSVFileWindow* file = workspace_.CurrentFile();
    if (file == nullptr) {
        return;
    }
    const LCutListAudio& audio = file->Document().Audio();
    const LEditPositions& positions = file->Document().Positions();
    const bool selection = HasValidSelection(file->Document());
    const std::int32_t start = selection ? positions.selection_start : 0;
    const std::int32_t end = selection ? positions.selection_end : audio.GetLength();
    LPRMeasureLoudness measure(LSoundSourceRef(new LSRCCutListAudio(audio)), start, end);
    if (workspace_.RunProcess(measure, file) != PROCESS_DONE) {
        return;
    }
    // The times as the status bar's fields write them.
    LEditPositions measured_range;
    measured_range.selection_start = start;
    measured_range.selection_end = end;
    const TimeFieldTexts times = MakeTimeFields(measured_range, audio.GetSampleRate());
    const std::string measured =
        file->DisplayName() + ", " +
        (selection ? "la selección de " + times.selection_start + " a " + times.selection_end
                   : "todo el archivo (" + times.selection_end + ")");
    LLoudnessDlg dialog(QString::fromStdString(measured), measure.Report(), workspace_.Frame());
    dialog.exec();
}

}  // namespace sonvara
