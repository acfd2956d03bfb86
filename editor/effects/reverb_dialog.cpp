#include "editor/effects/reverb_dialog.h"

#include <QSpinBox>

#include "effects/effect_sources.h"

namespace sonvara {

LSVReverbDlg::LSVReverbDlg(Prompts& prompts, LEffectPreview* preview, QWidget* parent)
    : LSVEffectDlg("Reverb", prompts, preview, parent) {
    setObjectName("LSVReverbDlg");
    const ReverbParameters stored = ReadStored(kReverbStored);
    level_percent_ = AddNumber(kReverbLevel.name.data(), "Nivel de la Reverberancia (%)",
                               stored.level_percent, kPercentField);
    time_ms_ = AddNumber(kReverbTime.name.data(), "Tiempo de la Reverberancia (ms)", stored.time_ms,
                         kMillisecondsField);
    AddButtons();
}

ReverbParameters LSVReverbDlg::Parameters() const {
    ReverbParameters parameters{};
    parameters.level_percent = level_percent_->value();
    parameters.time_ms = time_ms_->value();
    return parameters;
}

std::string_view LSVReverbDlg::Refusal() const {
    return Check(Parameters());
}

bool LSVReverbDlg::Store() const {
    return WriteStored(kReverbStored, Parameters());
}

EffectSourceFactory LSVReverbDlg::Effect() const {
    return EffectSource(Parameters());
}

}  // namespace sonvara
