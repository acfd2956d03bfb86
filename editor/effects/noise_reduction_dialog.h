#pragma once
// LSVNoiseReductionDlg: "Reducción de Ruido": the level of the noise gates in dB (the effect clamps
// it to -127..127). Starts from the stored values and stores them back on OK.

#include "editor/effects/effect_dialog.h"
#include "effects/effect_parameters.h"

namespace sonvara {

class LSVNoiseReductionDlg : public LSVEffectDlg {
    Q_OBJECT

  public:
    LSVNoiseReductionDlg(Prompts& prompts, LEffectPreview* preview, QWidget* parent);

    NoiseGateParameters Parameters() const;

  protected:
    std::string_view Refusal() const override;
    bool Store() const override;
    EffectSourceFactory Effect() const override;

  private:
    QSpinBox* level_db_;
};

}  // namespace sonvara
