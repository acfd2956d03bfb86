#include "editor/effects/noise_reduction_dialog.h"

#include <QSpinBox>

#include "effects/effect_sources.h"

namespace sonvara {

LSVNoiseReductionDlg::LSVNoiseReductionDlg(Prompts& prompts, LEffectPreview* preview,
                                           QWidget* parent)
    : LSVEffectDlg("Reducción de Ruido", prompts, preview, parent) {
    setObjectName("LSVNoiseReductionDlg");
    const NoiseGateParameters stored = ReadStored(kNoiseGateStored);
    level_db_ = AddNumber(kNoiseGateLevel.name.data(), "Nivel de Ruido (dB)", stored.level_db,
                          kDecibelField);
    AddButtons();
}

NoiseGateParameters LSVNoiseReductionDlg::Parameters() const {
    NoiseGateParameters parameters{};
    parameters.level_db = level_db_->value();
    return parameters;
}

std::string_view LSVNoiseReductionDlg::Refusal() const {
    return {};
}

bool LSVNoiseReductionDlg::Store() const {
    return WriteStored(kNoiseGateStored, Parameters());
}

EffectSourceFactory LSVNoiseReductionDlg::Effect() const {
    return EffectSource(Parameters());
}

}  // namespace sonvara
