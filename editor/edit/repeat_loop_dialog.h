#pragma once
// LSVRepeatLoopDlg: how many times "Repetir" puts the selection in again after itself. It starts
// from "RepeatNumTimes" and stores the accepted count there; a count the check refuses is shown
// in a message and the dialog stays open.

#include <QDialog>

#include "core/prompts.h"
#include "effects/effect_parameters.h"

class QLineEdit;

namespace sonvara {

class LSVRepeatLoopDlg : public QDialog {
    Q_OBJECT

  public:
    LSVRepeatLoopDlg(Prompts& prompts, QWidget* parent);

    const RepeatParameters& Parameters() const { return parameters_; }
    QLineEdit* TimesField() const { return times_; }

  public slots:
    void accept() override;

  private:
    Prompts& prompts_;
    QLineEdit* times_;
    RepeatParameters parameters_;
};

}  // namespace sonvara
