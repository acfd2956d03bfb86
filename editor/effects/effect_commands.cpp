// The effect commands on the current file's selection: one command for every effect of the
// registry, reading its entry. It asks the values in the effect's dialog (where it has any:
// the dialog of its fields, or a point-list dialog), then applies the effect through one pattern:
// playback stops, an undo step named after the effect is recorded, the effect's process runs behind
// the progress dialog, and a cancelled or failed run takes the step back with the document as it
// was. The last effect applied can be repeated with its values.

#include <QDialog>
#include <memory>
#include <utility>

#include "editor/common/file_window.h"
#include "editor/common/workspace.h"
#include "editor/effects/effect_controller.h"
#include "editor/effects/effect_dialog.h"
#include "editor/effects/envelope_dialog.h"
#include "editor/effects/equalizer_dialog.h"
#include "editor/effects/plugin_dialog.h"
#include "editor/transport/transport_controller.h"
#include "editor_model/effect_preview.h"
#include "effects/registry/effect_registry.h"
#include "lv2/plugin_effect.h"

namespace sonvara {
namespace {

using AppliedEffect = EffectController::AppliedEffect;

// `effect` with `values`, run behind the editor's progress dialog.
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
EffectValues ValuesOf(const LPluginDlg& dialog) {
    return dialog.Values();
}
EffectValues ValuesOf(const LPointListDlg& dialog) {
    EffectValues values;
    values.points = dialog.Points();
    return values;
}

}  // namespace

template <typename Dialog, typename Make>
auto EffectController::AskEffectValues(const Make& make) {
    LSVFileWindow* file = workspace_.CurrentFile();
    std::optional<EffectValues> values;
    if (file == nullptr || !HasValidSelection(file->Document())) {
        return values;
    }
    workspace_.StopPlaying(file);
    // The preview goes after the dialog, which stops it when it closes.
    const std::unique_ptr<LEffectPreview> preview = transport_.MakeEffectPreview();
    Dialog dialog = make(preview.get());
    if (dialog.exec() == QDialog::Accepted) {
        values = ValuesOf(dialog);
    }
    workspace_.Activate(file);
    return values;
}

void EffectController::ApplyEffect(const AppliedEffect& effect) {
    LSVFileWindow* file = workspace_.CurrentFile();
    if (file == nullptr || !HasValidSelection(file->Document())) {
        return;
    }
    LEditDocument& document = file->Document();
    const FrameRange selection = ClampedSelection(document);
    workspace_.StartModifyCurrentFile(effect.name);
    FrameRange changed = selection;
    const ProcessResult result = workspace_.RunProcess(
        [&](ProcessHost& host) { return effect.run(host, document.Audio(), changed); }, file);
    if (result != PROCESS_DONE) {
        workspace_.CancelModifyCurrentFile();
        return;
    }
    last_effect_ = effect;
    document.Positions().selection_start = changed.start;
    document.Positions().selection_end = changed.end;
    workspace_.EndModifyCurrentFile(selection.start, document.Audio().GetSampleRate());
}

std::string EffectController::LastEffectName() const {
    return last_effect_ ? last_effect_->name : std::string();
}

void EffectController::CmRepeatEffect() {
    if (last_effect_) {
        // The run may replace the last effect while it runs.
        const AppliedEffect effect = *last_effect_;
        ApplyEffect(effect);
    }
}

void EffectController::CmEffect(const EffectEntry& effect) {
    const LSVFileWindow* file = workspace_.CurrentFile();
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
                return LSVEffectDlg(effect, workspace_.CurrentPrompts(), preview,
                                    EffectPlace(document.Audio(), LEffectPreview::PartOf(document),
                                                [this](LProgressDialog& measure) {
                                                    return workspace_.RunProcess(measure);
                                                }),
                                    workspace_.Frame());
            });
            break;
        case EffectDialog::kEqualizerPoints:
            values = AskEffectValues<LEqualizerDlg>([this](LEffectPreview* preview) {
                return LEqualizerDlg(workspace_.CurrentPrompts(), preview, workspace_.Frame());
            });
            break;
        case EffectDialog::kPlugin: {
            const PluginDescription* plugin = PluginOfEntry(effect);
            if (plugin == nullptr) {
                return;
            }
            values = AskEffectValues<LPluginDlg>([&](LEffectPreview* preview) {
                return LPluginDlg(*plugin, workspace_.CurrentPrompts(), preview,
                                  workspace_.Frame());
            });
            break;
        }
        case EffectDialog::kEnvelopePoints: {
            const FrameRange selection = ClampedSelection(document);
            const std::int32_t rate = document.Audio().GetSampleRate();
            values = AskEffectValues<LEnvelopeDlg>([&](LEffectPreview* preview) {
                return LEnvelopeDlg(workspace_.CurrentPrompts(), selection, rate, preview,
                                    workspace_.Frame());
            });
            break;
        }
    }
    if (values) {
        ApplyEffect(Applied(effect, std::move(*values)));
    }
}

}  // namespace sonvara
