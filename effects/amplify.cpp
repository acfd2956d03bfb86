// Amplify: the document itself applies it, as a change of the selection's cuts' gains; nothing
// is read or written.

#include "effects/effect_parameters.h"
#include "effects/effect_sources.h"
#include "effects/registry/built_in_effects.h"

namespace sonvara {

EffectEntry AmplifyEffect() {
    return {
        .id = "amplify",
        .names = {"Amplificador...", "Amplificador", "Amplificador"},
        .fields = {PercentField(kAmplifyGain, ValueWidth::kInt16, "Ganancia (%)", "ganancia (%)",
                                "Amplificar la Ganancia (%)")},
        .check = [](const EffectValues& v) { return Check(FromValues(kAmplifyStored, v)); },
        .apply =
            [](const ProcessRunner&, LCutListAudio& document, FrameRange& range,
               const EffectValues& v) {
                document.EfAmplify(range.start, range.end,
                                   FromValues(kAmplifyStored, v).gain_percent);
                return PROCESS_DONE;
            },
        .preview = [](const EffectValues& v,
                      const EffectPlace&) { return EffectSource(FromValues(kAmplifyStored, v)); },
        .stream = [](const EffectValues& v, StreamInput&) -> std::optional<StreamStage> {
            return StreamStage{{}, FromValues(kAmplifyStored, v).gain_percent};
        },
        .dialog = EffectDialog::kFields,
        .dialog_name = "LSVAmplifyDlg",
        .menu = {EffectGroup::kVolume, false, 4001},
        .batch_id = 3,
    };
}

}  // namespace sonvara
