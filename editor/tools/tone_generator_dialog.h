#pragma once
// LToneGeneratorDlg: what the tone generator makes ("Generador de Tonos"): the waveform (a sine,
// square or sawtooth tone, DTMF digits, white or pink noise), the tone's frequency or the digits,
// the length, the peak level, the rate and the channels. The fields a waveform does not use are
// disabled. OK checks the values (a refusal is shown and the dialog stays open) and stores them
// in the section "ToneGenerator", from which the dialog starts next time.

#include <QDialog>

#include "core/prompts.h"
#include "effects/tone_generator.h"

class QComboBox;
class QLineEdit;

namespace sonvara {

class LToneGeneratorDlg : public QDialog {
    Q_OBJECT

  public:
    LToneGeneratorDlg(Prompts& prompts, QWidget* parent);

    const ToneParameters& Parameters() const { return parameters_; }

    QComboBox* ShapeField() const { return shape_; }

  public slots:
    void accept() override;

  private:
    void EnableFields();

    Prompts& prompts_;
    ToneParameters parameters_;
    QComboBox* shape_;
    QLineEdit* frequency_;
    QLineEdit* digits_;
    QLineEdit* milliseconds_;
    QLineEdit* level_;
    QComboBox* rate_;
    QComboBox* channels_;
};

}  // namespace sonvara
