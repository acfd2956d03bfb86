#pragma once
// LSVHighPassDlg: "Filtro High-Pass": the cut frequency of the low-cut filter, which takes no
// refusal. Starts from the stored values and stores them back on OK.

#include "editor/effects/effect_dialog.h"
#include "effects/effect_parameters.h"

namespace sonvara {

class LSVHighPassDlg : public LSVEffectDlg {
    Q_OBJECT

  public:
    LSVHighPassDlg(Prompts& prompts, LEffectPreview* preview, QWidget* parent);

    LowCutParameters Parameters() const;

  protected:
    std::string_view Refusal() const override;
    bool Store() const override;
    EffectSourceFactory Effect() const override;

  private:
    QSpinBox* frequency_hz_;
};

}  // namespace sonvara
