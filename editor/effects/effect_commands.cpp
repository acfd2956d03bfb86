// The frame's effect commands on the current file's selection. Each asks its values in its
// dialog (where it has any), then applies the effect through one pattern: playback stops, an
// undo step named after the effect is recorded, the effect's process runs behind the progress
// dialog, and a cancelled or failed run takes the step back with the document as it was. The
// last effect applied can be repeated with its values.

#include <QMenu>
#include <functional>
#include <memory>
#include <utility>

#include "editor/common/file_window.h"
#include "editor/effects/amplify_dialog.h"
#include "editor/effects/compressor_dialog.h"
#include "editor/effects/echo_dialog.h"
#include "editor/effects/envelope_dialog.h"
#include "editor/effects/equalizer_dialog.h"
#include "editor/effects/high_pass_dialog.h"
#include "editor/effects/noise_reduction_dialog.h"
#include "editor/effects/normalize_dialog.h"
#include "editor/effects/reverb_dialog.h"
#include "editor/effects/speed_change_dialog.h"
#include "editor/frame/main_window.h"
#include "editor_model/effect_preview.h"
#include "effects/auto_gain.h"
#include "effects/compressor.h"
#include "effects/dc_offset.h"
#include "effects/echo.h"
#include "effects/envelope.h"
#include "effects/equalizer.h"
#include "effects/high_pass.h"
#include "effects/noise_gate.h"
#include "effects/normalize.h"
#include "effects/reverse.h"
#include "effects/speed_pitch.h"

namespace sonvara {
namespace {

using AppliedEffect = MainDialog::AppliedEffect;

// The effect run by the process `Process`, made from the document, the range and `values`.
template <typename Process, typename... Values>
AppliedEffect ProcessEffect(std::string name, Values... values) {
    return {std::move(name),
            [values...](ProcessHost& host, LCutListAudio& document, FrameRange& range) {
                Process process(document, range, values...);
                return process.Run(host);
            }};
}

// What a dialog's OK gives.
template <typename Dialog>
requires requires(const Dialog& dialog) {
    dialog.Parameters();
}
auto ValuesOf(const Dialog& dialog) {
    return dialog.Parameters();
}
PointList ValuesOf(const LPointListDlg& dialog) {
    return dialog.Points();
}

}  // namespace

template <typename Dialog, typename Make>
auto MainDialog::AskEffectValues(const Make& make) {
    LSVFileWindow* file = current_;
    std::optional<decltype(ValuesOf(std::declval<Dialog&>()))> values;
    if (file == nullptr || !HasValidSelection(file->Document())) {
        return values;
    }
    StopPlaying(file);
    // The preview goes after the dialog, which stops it when it closes.
    const std::unique_ptr<LEffectPreview> preview = MakeEffectPreview();
    Dialog dialog = make(preview.get());
    if (dialog.exec() == QDialog::Accepted) {
        values = ValuesOf(dialog);
    }
    Activate(file);
    return values;
}

void MainDialog::ApplyEffect(const AppliedEffect& effect) {
    LSVFileWindow* file = current_;
    if (file == nullptr || !HasValidSelection(file->Document())) {
        return;
    }
    LEditDocument& document = file->Document();
    const FrameRange selection = ClampedSelection(document);
    StartModifyCurrentFile(effect.name);
    FrameRange changed = selection;
    const ProcessResult result = RunProcess(
        [&](ProcessHost& host) { return effect.run(host, document.Audio(), changed); }, file);
    if (result != PROCESS_DONE) {
        document.CancelModifyCurrentFile();
        file->RefreshView();
        EnableMenuOptions();
        return;
    }
    last_effect_ = effect;
    document.Positions().selection_start = changed.start;
    document.Positions().selection_end = changed.end;
    EndModifyCurrentFile(selection.start, document.Audio().GetSampleRate());
}

void MainDialog::UpdateRepeatEffect() {
    QAction* repeat = actions_[kCmRepeatEffect];
    if (!last_effect_) {
        repeat->setEnabled(false);
        return;
    }
    repeat->setText(QString::fromStdString("Repetir " + last_effect_->name + "\tCtrl+Alt+R"));
}

void MainDialog::CmRepeatEffect() {
    if (last_effect_) {
        // The run may replace the last effect while it runs.
        const AppliedEffect effect = *last_effect_;
        ApplyEffect(effect);
    }
}

void MainDialog::CmAmplify() {
    if (const auto values = AskEffectValues<LSVAmplifyDlg>(
            [this](LEffectPreview* preview) { return LSVAmplifyDlg(*prompts_, preview, this); })) {
        // A change of the cuts' gains: nothing to wait for.
        ApplyEffect({"Amplificador", [percent = values->gain_percent](
                                         ProcessHost&, LCutListAudio& document, FrameRange& range) {
                         document.EfAmplify(range.start, range.end, percent);
                         return PROCESS_DONE;
                     }});
    }
}

void MainDialog::CmNormalize() {
    const LSVFileWindow* file = current_;
    if (file == nullptr) {
        return;
    }
    const LEditDocument& document = file->Document();
    if (const auto values = AskEffectValues<LSVNormalizeDlg>([&](LEffectPreview* preview) {
            return LSVNormalizeDlg(*prompts_, preview, document.Audio(),
                                   LEffectPreview::PartOf(document), this);
        })) {
        ApplyEffect(ProcessEffect<EfNormalize>("Normalizador", *values));
    }
}

void MainDialog::CmEqualizer() {
    if (const auto points = AskEffectValues<LEqualizerDlg>(
            [this](LEffectPreview* preview) { return LEqualizerDlg(*prompts_, preview, this); })) {
        ApplyEffect(ProcessEffect<EfEqualiser>("Ecualizador", *points));
    }
}

void MainDialog::CmEcho() {
    if (const auto values = AskEffectValues<LSVEchoDlg>(
            [this](LEffectPreview* preview) { return LSVEchoDlg(*prompts_, preview, this); })) {
        ApplyEffect(ProcessEffect<EfEcho>("Eco", *values));
    }
}

void MainDialog::CmReverb() {
    if (const auto values = AskEffectValues<LSVReverbDlg>(
            [this](LEffectPreview* preview) { return LSVReverbDlg(*prompts_, preview, this); })) {
        ApplyEffect(ProcessEffect<EfReverb>("Reverb", *values));
    }
}

void MainDialog::CmFadeIn() {
    ApplyEffect(ProcessEffect<EfFadeIn>("Fade In"));
}

void MainDialog::CmFadeOut() {
    ApplyEffect(ProcessEffect<EfFadeOut>("Fade Out"));
}

void MainDialog::CmFadeOutAndTrim() {
    ApplyEffect(ProcessEffect<EfFadeOutAndTrim>("Oírse y recortar"));
}

void MainDialog::CmEnvelope() {
    const LSVFileWindow* file = current_;
    if (file == nullptr) {
        return;
    }
    const FrameRange selection = ClampedSelection(file->Document());
    const std::int32_t rate = file->Document().Audio().GetSampleRate();
    if (const auto points = AskEffectValues<LEnvelopeDlg>([&](LEffectPreview* preview) {
            return LEnvelopeDlg(*prompts_, selection, rate, preview, this);
        })) {
        ApplyEffect(ProcessEffect<LEfEnvelope>("Envolver", points->ToBytePointList()));
    }
}

void MainDialog::CmAutoGainControl() {
    ApplyEffect(ProcessEffect<EfAutoGainControl>("Control Automático de Ganancia"));
}

void MainDialog::CmNoiseReduction() {
    if (const auto values = AskEffectValues<LSVNoiseReductionDlg>([this](LEffectPreview* preview) {
            return LSVNoiseReductionDlg(*prompts_, preview, this);
        })) {
        ApplyEffect(ProcessEffect<EfNoiseReduction>("Reducción de Ruido", *values));
    }
}

void MainDialog::CmLowCutFilter() {
    if (const auto values = AskEffectValues<LSVHighPassDlg>(
            [this](LEffectPreview* preview) { return LSVHighPassDlg(*prompts_, preview, this); })) {
        ApplyEffect(ProcessEffect<EfLowCutFilter>("Filtro High-Pass", *values));
    }
}

void MainDialog::CmCompressor() {
    if (const auto values = AskEffectValues<LSVCompressorDlg>([this](LEffectPreview* preview) {
            return LSVCompressorDlg(*prompts_, preview, this);
        })) {
        ApplyEffect(ProcessEffect<EfCompressor>("Compresor de Rango Dinámico", *values));
    }
}

void MainDialog::CmSpeedChange(int mode) {
    const LSVFileWindow* file = current_;
    if (file == nullptr) {
        return;
    }
    const auto speed_mode = static_cast<SpeedPitchMode>(mode);
    if (const auto values = AskEffectValues<LSVSpeedChangeDlg>([&](LEffectPreview* preview) {
            return LSVSpeedChangeDlg(*prompts_, preview, LEffectPreview::PartOf(file->Document()),
                                     speed_mode, this);
        })) {
        ApplyEffect(
            {LSVSpeedChangeDlg::Caption(speed_mode),
             [values = *values](ProcessHost& host, LCutListAudio& document, FrameRange& range) {
                 LEfChangeSpeedPitch change(document, range, values);
                 const ProcessResult result = change.Run(host);
                 range.end = change.SelectionEnd();
                 return result;
             }});
    }
}

void MainDialog::CmDCOffsetCorrection() {
    ApplyEffect(ProcessEffect<EfDCOffsetCorrection>("Corrección DC Offset"));
}

void MainDialog::CmReverse() {
    ApplyEffect(ProcessEffect<LEfReverse>("Revertir"));
}

}  // namespace sonvara
