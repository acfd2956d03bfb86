#pragma once
// LSVNormalizeDlg: "Normalizador": the level in percent of full scale that the selection's peak is
// brought to. Starts from the stored values and stores them back on OK.

#include "app/dialogs/effect_dialog.h"
#include "effects/effect_parameters.h"

namespace sonvara {

class LSVNormalizeDlg : public LSVEffectDlg {
    Q_OBJECT

  public:
    LSVNormalizeDlg(Prompts& prompts, QWidget* parent);

    NormalizeParameters Parameters() const;

  protected:
    std::string_view Refusal() const override;
    bool Store() const override;

  private:
    QSpinBox* peak_percent_;
};

}  // namespace sonvara
