#pragma once
// LSVSpeedChangeDlg: the percent of one of the three speed and pitch changes, each with its own
// caption, field label and stored value: the simple change ("Cambio Simple de Velocidad y Tono"),
// speed at a constant pitch ("Cambio Constante de Tono y Velocidad") and pitch at a constant speed
// ("Cambio Constante de Velocidad y Tono").

#include "document/frame_range.h"
#include "editor/effects/effect_dialog.h"
#include "effects/effect_parameters.h"
#include "effects/speed_pitch.h"

namespace sonvara {

class LSVSpeedChangeDlg : public LSVEffectDlg {
    Q_OBJECT

  public:
    // The preview plays the change of `part`.
    LSVSpeedChangeDlg(Prompts& prompts, LEffectPreview* preview, FrameRange part,
                      SpeedPitchMode mode, QWidget* parent);

    SpeedPitchParameters Parameters() const;
    QSpinBox* PercentField() const { return percent_; }

    // The caption of `mode`'s dialog, which is also its undo step's name.
    static const char* Caption(SpeedPitchMode mode);

  protected:
    std::string_view Refusal() const override;
    bool Store() const override;
    EffectSourceFactory Effect() const override;

  private:
    FrameRange part_;
    SpeedPitchMode mode_;
    QSpinBox* percent_;
};

}  // namespace sonvara
