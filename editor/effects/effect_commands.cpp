// The frame's effect commands on the current file's selection: one command for every effect of
// the registry, reading its entry. It asks the values in the effect's dialog (where it has any:
// the dialog of its fields, or a point-list dialog), then applies the effect through one pattern:
// playback stops, an undo step named after the effect is recorded, the effect's process runs behind
// the progress dialog, and a cancelled or failed run takes the step back with the document as it
// was. The last effect applied can be repeated with its values.

#include <QMenu>
#include <memory>
#include <utility>

#include "editor/common/file_window.h"
#include "editor/effects/effect_dialog.h"
#include "editor/effects/envelope_dialog.h"
#include "editor/effects/equalizer_dialog.h"
#include "editor/frame/main_window.h"
#include "editor_model/effect_preview.h"
#include "effects/registry/effect_registry.h"

namespace sonvara {
namespace {

using AppliedEffect = MainDialog::AppliedEffect;

// `effect` with `values`, run behind the frame's progress dialog.
AppliedEffect Applied(const EffectEntry& effect, EffectValues values) {
    return {effect.names.undo, [&effect, values = std::move(values)](
                                   ProcessHost& host, LCutListAudio& document, FrameRange& range) {
                return effect.apply([&host](LProgressDialog& process) { return process.Run(host); },
                                    document, range, values);
            }};
}

// What a dialog's OK gives.
EffectValues ValuesOf(const LSVEffectDlg& dialog) {
    return dialog.Values();
}
EffectValues ValuesOf(const LPointListDlg& dialog) {
    EffectValues values;
    values.points = dialog.Points();
    return values;
}

}  // namespace

template <typename Dialog, typename Make>
auto MainDialog::AskEffectValues(const Make& make) {
    LSVFileWindow* file = current_;
    std::optional<EffectValues> values;
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

void MainDialog::CmEffect(const EffectEntry& effect) {
    const LSVFileWindow* file = current_;
    if (file == nullptr) {
        return;
    }
    const LEditDocument& document = file->Document();
    std::optional<EffectValues> values;
    switch (effect.dialog) {
        case EffectDialog::kNone:
            values = EffectValues{};
            break;
        case EffectDialog::kFields:
            values = AskEffectValues<LSVEffectDlg>([&](LEffectPreview* preview) {
                return LSVEffectDlg(effect, *prompts_, preview,
                                    EffectPlace(document.Audio(), LEffectPreview::PartOf(document)),
                                    this);
            });
            break;
        case EffectDialog::kEqualizerPoints:
            values = AskEffectValues<LEqualizerDlg>([this](LEffectPreview* preview) {
                return LEqualizerDlg(*prompts_, preview, this);
            });
            break;
        case EffectDialog::kEnvelopePoints: {
            const FrameRange selection = ClampedSelection(document);
            const std::int32_t rate = document.Audio().GetSampleRate();
            values = AskEffectValues<LEnvelopeDlg>([&](LEffectPreview* preview) {
                return LEnvelopeDlg(*prompts_, selection, rate, preview, this);
            });
            break;
        }
    }
    if (values) {
        ApplyEffect(Applied(effect, std::move(*values)));
    }
}

}  // namespace sonvara
