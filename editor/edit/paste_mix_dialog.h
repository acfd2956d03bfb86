#pragma once
// LSVPasteFileMixDlg: how the clipboard or a file is mixed into the selection ("Pegar y Mezclar",
// "Mezclar archivo"): the volume of the mix, what a mix longer than the selection does (silence
// is inserted after the selection, the mix runs on over the audio after it, or it is cut at the
// selection's end with a fade of so many frames), and for a stereo document the balance, which
// starts in the centre each time. Volume, choice and fade start from "PasteMixVolume",
// "LongerSelection" and "FadeOutTime" and are stored back on OK (the fade only when it is the
// choice); a value the check refuses is shown in a message and the dialog stays open.
//
// Without a valid selection the mix starts at the selection's start and nothing of it lies within
// the selection, so the fade, which would leave nothing, is not offered.

#include <QDialog>

#include "core/prompts.h"
#include "effects/effect_parameters.h"

class QLineEdit;
class QRadioButton;
class QSlider;

namespace sonvara {

class LSVPasteFileMixDlg : public QDialog {
    Q_OBJECT

  public:
    LSVPasteFileMixDlg(const QString& title, bool stereo, bool selection, Prompts& prompts,
                       QWidget* parent);

    // The accepted values, the balance with them (50 for a mono document).
    const MixPasteParameters& Parameters() const { return parameters_; }

    QLineEdit* VolumeField() const { return volume_; }
    // The choices for a longer mix, in MixMode order.
    QRadioButton* ModeButton(int mode) const { return modes_[mode]; }
    QLineEdit* FadeField() const { return fade_; }
    // Null for a mono document.
    QSlider* BalanceSlider() const { return balance_; }

  public slots:
    void accept() override;

  private:
    int CheckedMode() const;

    Prompts& prompts_;
    QLineEdit* volume_;
    QRadioButton* modes_[3];
    QLineEdit* fade_;
    QSlider* balance_ = nullptr;
    MixPasteParameters parameters_;
};

}  // namespace sonvara
