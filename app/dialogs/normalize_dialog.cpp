#include "app/dialogs/normalize_dialog.h"

#include <QSpinBox>

namespace sonvara {

LSVNormalizeDlg::LSVNormalizeDlg(Prompts& prompts, QWidget* parent)
    : LSVEffectDlg("Normalizador", prompts, parent) {
    setObjectName("LSVNormalizeDlg");
    const NormalizeParameters stored = ReadStored(kNormalizeStored);
    peak_percent_ = AddNumber(kNormalizePeakLevel.name.data(), "Nivel más alto (%)",
                              stored.peak_percent, kPercentField);
    AddButtons();
}

NormalizeParameters LSVNormalizeDlg::Parameters() const {
    NormalizeParameters parameters{};
    parameters.peak_percent = peak_percent_->value();
    return parameters;
}

std::string_view LSVNormalizeDlg::Refusal() const {
    return Check(Parameters());
}

bool LSVNormalizeDlg::Store() const {
    return WriteStored(kNormalizeStored, Parameters());
}

}  // namespace sonvara
