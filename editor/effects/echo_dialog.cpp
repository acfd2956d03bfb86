#include "editor/effects/echo_dialog.h"

#include <QSpinBox>

#include "effects/effect_sources.h"

namespace sonvara {

LSVEchoDlg::LSVEchoDlg(Prompts& prompts, LEffectPreview* preview, QWidget* parent)
    : LSVEffectDlg("Eco", prompts, preview, parent) {
    setObjectName("LSVEchoDlg");
    const EchoParameters stored = ReadStored(kEchoStored);
    time_ms_ =
        AddNumber(kEchoTime.name.data(), "Tiempo de Eco (ms)", stored.time_ms, kMillisecondsField);
    gain_percent_ =
        AddNumber(kEchoGain.name.data(), "Ganancia de Eco (%)", stored.gain_percent, kPercentField);
    AddButtons();
}

EchoParameters LSVEchoDlg::Parameters() const {
    EchoParameters parameters{};
    parameters.time_ms = time_ms_->value();
    parameters.gain_percent = gain_percent_->value();
    return parameters;
}

std::string_view LSVEchoDlg::Refusal() const {
    return Check(Parameters());
}

bool LSVEchoDlg::Store() const {
    return WriteStored(kEchoStored, Parameters());
}

EffectSourceFactory LSVEchoDlg::Effect() const {
    return EffectSource(Parameters());
}

}  // namespace sonvara
