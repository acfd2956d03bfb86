// The conversions of the current file's sample rate and channels, each one undoable step behind
// the progress dialog.

#include <algorithm>
#include <cmath>

#include "document/convert_document.h"
#include "editor/common/file_window.h"
#include "editor/common/workspace.h"
#include "editor/edit/convert_rate_dialog.h"
#include "editor/edit/edit_controller.h"

namespace sonvara {
namespace {

// A frame position scaled from one rate to another.
std::int32_t Rescale(std::int32_t frames, std::int32_t from_rate, std::int32_t to_rate) {
    return static_cast<std::int32_t>(
        std::llround(static_cast<double>(frames) * to_rate / std::max(from_rate, 1)));
}

}  // namespace

void EditController::CmConvertSampleRate() {
    LSVFileWindow* file = workspace_.CurrentFile();
    if (file == nullptr) {
        return;
    }
    LSVConvertSample dialog(workspace_.CurrentPrompts(), workspace_.Frame());
    const bool accepted = dialog.exec() == QDialog::Accepted;
    workspace_.Activate(file);
    if (!accepted) {
        return;
    }
    ConvertCurrentFile("Convertir la Tasa de Muestra", dialog.SampleRate(),
                       file->Document().Audio().GetChannels());
}

void EditController::CmConvertChannel(int channels) {
    if (const LSVFileWindow* file = workspace_.CurrentFile()) {
        ConvertCurrentFile("Convert Channels", file->Document().Audio().GetSampleRate(), channels);
    }
}

void EditController::ConvertCurrentFile(const std::string& name, std::int32_t rate, int channels) {
    LSVFileWindow* file = workspace_.CurrentFile();
    LEditDocument& document = file->Document();
    const std::int32_t old_rate = document.Audio().GetSampleRate();
    if (old_rate == rate && document.Audio().GetChannels() == channels) {
        return;
    }
    workspace_.StartModifyCurrentFile(name);
    LCLAConvertRateChannels convert(document.Audio(), rate, channels);
    if (workspace_.RunProcess(convert, file) != PROCESS_DONE) {
        // The document is as it was; so are its flag and positions.
        workspace_.CancelModifyCurrentFile();
        return;
    }
    // The selection and the view keep their times at the new rate.
    LEditPositions& positions = document.Positions();
    for (std::int32_t* frames : {&positions.selection_start, &positions.selection_end,
                                 &positions.view_start, &positions.view_end}) {
        *frames = Rescale(*frames, old_rate, rate);
    }
    workspace_.EndModifyCurrentFile(0, 0);
}

}  // namespace sonvara
