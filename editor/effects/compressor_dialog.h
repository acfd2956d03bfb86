#pragma once
// LSVCompressorDlg: "Compresor de Rango Dinámico": the threshold in dB, the ratio chosen from the
// compressor's list, and the limit in dB (kept with the others, not shaping the compressor).
// Starts from the stored values and stores them back on OK; a stored ratio outside the list
// shows no choice and is refused until one is made.

#include "editor/effects/effect_dialog.h"
#include "effects/effect_parameters.h"

namespace sonvara {

class LSVCompressorDlg : public LSVEffectDlg {
    Q_OBJECT

  public:
    LSVCompressorDlg(Prompts& prompts, LEffectPreview* preview, QWidget* parent);

    CompressorParameters Parameters() const;
    QComboBox* RatioField() const { return ratio_; }

  protected:
    std::string_view Refusal() const override;
    bool Store() const override;
    EffectSourceFactory Effect() const override;

  private:
    QSpinBox* threshold_;
    QComboBox* ratio_;
    QSpinBox* limit_;
};

}  // namespace sonvara
