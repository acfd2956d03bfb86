#include "editor/effects/high_pass_dialog.h"

#include <QSpinBox>

#include "effects/effect_sources.h"

namespace sonvara {

LSVHighPassDlg::LSVHighPassDlg(Prompts& prompts, LEffectPreview* preview, QWidget* parent)
    : LSVEffectDlg("Filtro High-Pass", prompts, preview, parent) {
    setObjectName("LSVHighPassDlg");
    const LowCutParameters stored = ReadStored(kLowCutStored);
    frequency_hz_ = AddNumber(kLowCutFreq.name.data(), "Frecuencia de corte (Hz)",
                              stored.frequency_hz, kFrequencyField);
    AddButtons();
}

LowCutParameters LSVHighPassDlg::Parameters() const {
    LowCutParameters parameters{};
    parameters.frequency_hz = frequency_hz_->value();
    return parameters;
}

std::string_view LSVHighPassDlg::Refusal() const {
    return {};
}

bool LSVHighPassDlg::Store() const {
    return WriteStored(kLowCutStored, Parameters());
}

EffectSourceFactory LSVHighPassDlg::Effect() const {
    return EffectSource(Parameters());
}

}  // namespace sonvara
