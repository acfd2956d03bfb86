#pragma once
// NewWavDlg: the rate and channels of a new file ("Archivo Nuevo"). A rate outside 6000..96000
// is refused with a message and the dialog stays open; OK stores the choice under
// "SelectedSampleRate" and "SelectedChannels".

#include <QDialog>

#include "core/prompts.h"

class QComboBox;
class QRadioButton;

namespace sonvara {

class NewWavDlg : public QDialog {
    Q_OBJECT

  public:
    NewWavDlg(Prompts& prompts, QWidget* parent);

    int SampleRate() const { return rate_; }
    int Channels() const { return channels_; }

    QComboBox* RateField() const { return rate_field_; }
    QRadioButton* StereoButton() const { return stereo_; }

  public slots:
    void accept() override;

  private:
    Prompts& prompts_;
    QComboBox* rate_field_;
    QRadioButton* mono_;
    QRadioButton* stereo_;
    int rate_ = 44100;
    int channels_ = 1;
};

}  // namespace sonvara
