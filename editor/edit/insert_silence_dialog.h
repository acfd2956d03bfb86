#pragma once
// LSVInsertSilenceDlg: the length of the silence the "Insertar Silencio" commands put in, in
// milliseconds. It starts from "SilenceTimes" and stores the accepted time there; a time the
// check refuses is shown in a message and the dialog stays open.

#include <QDialog>

#include "core/prompts.h"
#include "effects/effect_parameters.h"

class QLineEdit;

namespace sonvara {

class LSVInsertSilenceDlg : public QDialog {
    Q_OBJECT

  public:
    LSVInsertSilenceDlg(Prompts& prompts, QWidget* parent);

    const SilenceParameters& Parameters() const { return parameters_; }
    QLineEdit* TimeField() const { return time_; }

  public slots:
    void accept() override;

  private:
    Prompts& prompts_;
    QLineEdit* time_;
    SilenceParameters parameters_;
};

}  // namespace sonvara
