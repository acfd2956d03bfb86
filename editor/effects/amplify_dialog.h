#pragma once
// LSVAmplifyDlg: "Amplificador": the gain of the selection in percent (100: unchanged). Starts from
// the stored values and stores them back on OK.

#include "editor/effects/effect_dialog.h"
#include "effects/effect_parameters.h"

namespace sonvara {

class LSVAmplifyDlg : public LSVEffectDlg {
    Q_OBJECT

  public:
    LSVAmplifyDlg(Prompts& prompts, LEffectPreview* preview, QWidget* parent);

    AmplifyParameters Parameters() const;

  protected:
    std::string_view Refusal() const override;
    bool Store() const override;
    EffectSourceFactory Effect() const override;

  private:
    QSpinBox* gain_percent_;
};

}  // namespace sonvara
