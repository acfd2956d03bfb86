#pragma once
// LAudioProcessPage: the options' "Proceso de Audio" page. The sound output ("SoundOutDevice" and
// "SoundOutDeviceName" in [Settings]) and input ("Device" and "DeviceName" in [Recorder]) chosen
// from the machine's numbered lists, the play after each edit ("AutoPlaybackAfterEffects"), the
// auto trim's threshold ("AutoTrimThreshold", -40 to -12 dB here) and the working folder of the
// cut files ("WorkingFolder"). The folder is stored as typed; a change takes effect at the next
// start, which the caller arranges when WorkingFolderChanged says so. The sheet calls InitDialog
// when the page is first shown and CmOk when it is confirmed after that.

#include <QWidget>

#include "core/prompts.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace sonvara {

class LDBEdit;
class WaveInProvider;
class WaveOutProvider;

class LAudioProcessPage : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kLowestThreshold = -40;
    static constexpr int kHighestThreshold = -12;

    LAudioProcessPage(WaveOutProvider& outputs, WaveInProvider& inputs, Prompts& prompts,
                      QWidget* parent = nullptr);

    void InitDialog();
    // Stores the page's settings; false, after telling the user, when one could not be written
    // or the folder field is empty.
    bool CmOk();
    bool WorkingFolderChanged() const { return folder_changed_; }

  private slots:
    // Lets the user pick the folder ("Locate folder:").
    void CmSetAudioWorkingFolder();

  private:
    WaveOutProvider& outputs_;
    WaveInProvider& inputs_;
    Prompts& prompts_;
    QComboBox* output_;
    QComboBox* input_;
    QCheckBox* auto_play_;
    LDBEdit* threshold_;
    QLineEdit* folder_;
    bool folder_changed_ = false;
};

}  // namespace sonvara
