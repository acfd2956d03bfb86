#include "editor/effects/amplify_dialog.h"

#include <QSpinBox>

#include "effects/effect_sources.h"

namespace sonvara {

LSVAmplifyDlg::LSVAmplifyDlg(Prompts& prompts, LEffectPreview* preview, QWidget* parent)
    : LSVEffectDlg("Amplificador", prompts, preview, parent) {
    setObjectName("LSVAmplifyDlg");
    const AmplifyParameters stored = ReadStored(kAmplifyStored);
    gain_percent_ =
        AddNumber(kAmplifyGain.name.data(), "Ganancia (%)", stored.gain_percent, kPercentField);
    AddButtons();
}

AmplifyParameters LSVAmplifyDlg::Parameters() const {
    AmplifyParameters parameters{};
    parameters.gain_percent = gain_percent_->value();
    return parameters;
}

std::string_view LSVAmplifyDlg::Refusal() const {
    return Check(Parameters());
}

bool LSVAmplifyDlg::Store() const {
    return WriteStored(kAmplifyStored, Parameters());
}

EffectSourceFactory LSVAmplifyDlg::Effect() const {
    return EffectSource(Parameters());
}

}  // namespace sonvara
