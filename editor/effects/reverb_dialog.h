#pragma once
// LSVReverbDlg: "Reverb": the level of the reverberation and its time; the level is checked before
// the time. Starts from the stored values and stores them back on OK.

#include "editor/effects/effect_dialog.h"
#include "effects/effect_parameters.h"

namespace sonvara {

class LSVReverbDlg : public LSVEffectDlg {
    Q_OBJECT

  public:
    LSVReverbDlg(Prompts& prompts, LEffectPreview* preview, QWidget* parent);

    ReverbParameters Parameters() const;

  protected:
    std::string_view Refusal() const override;
    bool Store() const override;
    EffectSourceFactory Effect() const override;

  private:
    QSpinBox* level_percent_;
    QSpinBox* time_ms_;
};

}  // namespace sonvara
