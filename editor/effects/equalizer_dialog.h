#pragma once
// LEqualizerDlg: the graphic equalizer's curve ("Ecualizador"), kept in "equalizer.dat". x runs
// along the frequency, 20000 Hz at x 255; y is the level, 100 % at 128. The read-out is
// "%d Hz, %d %" of the point under the pointer or dragged.

#include "editor/effects/point_list_dialog.h"

namespace sonvara {

class LEqualizerDlg : public LPointListDlg {
    Q_OBJECT

  public:
    static constexpr double kHzPerUnit = 20000.0 / 255.0;
    static constexpr double kPercentPerUnit = 0.78125;  // 128 is 100 %

    // `preview`, when not null, plays the curve as it is drawn; it must outlive the dialog.
    LEqualizerDlg(Prompts& prompts, LEffectPreview* preview, QWidget* parent);

  protected:
    QString ReadOut(int x, int y) const override;
};

}  // namespace sonvara
