#pragma once
// LSVEchoDlg: "Eco": the delay of the echo and its gain; the time is checked before the gain.
// Starts from the stored values and stores them back on OK.

#include "editor/effects/effect_dialog.h"
#include "effects/effect_parameters.h"

namespace sonvara {

class LSVEchoDlg : public LSVEffectDlg {
    Q_OBJECT

  public:
    LSVEchoDlg(Prompts& prompts, LEffectPreview* preview, QWidget* parent);

    EchoParameters Parameters() const;

  protected:
    std::string_view Refusal() const override;
    bool Store() const override;
    EffectSourceFactory Effect() const override;

  private:
    QSpinBox* time_ms_;
    QSpinBox* gain_percent_;
};

}  // namespace sonvara
