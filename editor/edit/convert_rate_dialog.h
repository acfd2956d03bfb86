#pragma once
// LSVConvertSample: asks the sample rate a document is converted to ("Convertir la Tasa de
// Muestra"). The field offers the usual rates and takes any typed one from 6000 to 96000; another
// is refused with a message and the dialog stays open. OK stores the rate as kConvertSampleRate
// ("StoredValues" "ConvertSampleRate", where the batch converter's rate command finds it too),
// which is also where the field starts.

#include <QDialog>

#include "core/prompts.h"

class QComboBox;

namespace sonvara {

class LSVConvertSample : public QDialog {
    Q_OBJECT

  public:
    LSVConvertSample(Prompts& prompts, QWidget* parent);

    int SampleRate() const { return rate_; }
    QComboBox* RateField() const { return rate_field_; }

  public slots:
    void accept() override;

  private:
    Prompts& prompts_;
    QComboBox* rate_field_;
    int rate_ = 44100;
};

}  // namespace sonvara
