#pragma once
// LRecordDlgAdvanced: the record dialog's options, kept in the "Recorder" section: the input
// device ("Device" by number and "DeviceName" by name, so that the choice survives a change in the
// list), the mixer's input line ("Channel": the list index less one, the first entry standing for
// the recording mixer as a whole) and its record volume ("Volume", dB), the trim of silence before
// and after ("Autotrim") with its threshold ("Threshold", -40..-6 dB) and the pause on silence
// ("Vor"), both usable only with the trim on, and the maximum length of a take ("MaxTime",
// seconds, 0: none). With no input lines the volume box gives way to a button that starts the
// desktop's mixer. The values are stored when the dialog is confirmed.

#include <QDialog>

#include "core/prompts.h"
#include "devices/mixer.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace sonvara {

class LDBEdit;
class WaveInProvider;

// The recorder's settings as the record dialog arms a recording with them.
struct RecorderSettings {
    int device = 0;
    int line = -1;
    int volume_db = 0;
    bool autotrim = true;
    bool vor = false;
    int threshold_db = -24;
    int max_seconds = 0;

    static RecorderSettings Read(WaveInProvider& inputs);
};

class LRecordDlgAdvanced : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kMaxDevices = 127;
    static constexpr int kLowThreshold = -40;
    static constexpr int kHighThreshold = -6;
    // 60 hours, the longest a recording can be.
    static constexpr int kMaxSeconds = 216000;

    // `inputs` and `prompts` must outlive the dialog. A value that cannot be stored keeps the
    // dialog open with a message.
    LRecordDlgAdvanced(WaveInProvider& inputs, Prompts& prompts, QWidget* parent = nullptr);

    void accept() override;

  private:
    // The lines of the chosen device, the stored one chosen when `keep`.
    void FillLines(bool keep);
    void FollowAutotrim();
    void StartSystemMixer();

    Prompts& prompts_;
    LMixer mixer_;
    QComboBox* devices_ = nullptr;
    QComboBox* lines_ = nullptr;
    QLabel* volume_label_ = nullptr;
    LDBEdit* volume_ = nullptr;
    QPushButton* system_mixer_ = nullptr;
    QCheckBox* autotrim_ = nullptr;
    QCheckBox* vor_ = nullptr;
    QLabel* threshold_label_ = nullptr;
    LDBEdit* threshold_ = nullptr;
    QSpinBox* max_time_ = nullptr;
};

}  // namespace sonvara
