#pragma once
// NewWavDlg: the rate and channels of a new file ("Archivo Nuevo"). A rate outside 6000..96000
// is refused with a message and the dialog stays open; OK stores the choice under
// "SelectedSampleRate" and "SelectedChannels" of [Settings]. The options' General page edits the
// rate and channels a new file gets without asking through the same dialog ("Activar por
// Defecto", "DefaultSampleRate" and "DefaultChannels"). A choice that cannot be stored is said so
// and the dialog stays open.

#include <QDialog>

#include "core/prompts.h"

class QComboBox;
class QRadioButton;

namespace sonvara {

// The dialog's caption and the values of [Settings] it edits.
struct NewWavSettings {
    const char* caption;
    const char* rate;
    const char* channels;
};
inline constexpr NewWavSettings kNewFileSettings{"Archivo Nuevo", "SelectedSampleRate",
                                                 "SelectedChannels"};
inline constexpr NewWavSettings kDefaultFormatSettings{"Activar por Defecto", "DefaultSampleRate",
                                                       "DefaultChannels"};

class NewWavDlg : public QDialog {
    Q_OBJECT

  public:
    NewWavDlg(Prompts& prompts, QWidget* parent, const NewWavSettings& settings = kNewFileSettings);

    int SampleRate() const { return rate_; }
    int Channels() const { return channels_; }

    QComboBox* RateField() const { return rate_field_; }
    QRadioButton* StereoButton() const { return stereo_; }

  public slots:
    void accept() override;

  private:
    Prompts& prompts_;
    NewWavSettings settings_;
    QComboBox* rate_field_;
    QRadioButton* mono_;
    QRadioButton* stereo_;
    int rate_ = 44100;
    int channels_ = 1;
};

}  // namespace sonvara
