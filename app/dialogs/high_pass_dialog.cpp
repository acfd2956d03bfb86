#include "app/dialogs/high_pass_dialog.h"

#include <QSpinBox>

namespace sonvara {

LSVHighPassDlg::LSVHighPassDlg(Prompts& prompts, QWidget* parent)
    : LSVEffectDlg("Filtro High-Pass", prompts, parent) {
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

}  // namespace sonvara
