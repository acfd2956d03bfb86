#pragma once
// LPlayerBaseDlg: the player dialog over one sound (the current document). It shows the play
// position as text and on a slider (0..100), the two seconds of sound around the position
// (LWaveWindow), the seven transport buttons, the output device and the volume in dB, and the
// level meter. While it is open it drives the player through a transport of its own, which takes
// the player's notifications; when it closes it stops the player and gives the notifications back
// to the owner named at construction.
//
// The transport is the editor's (LTransport), over the dialog's own copy of the sound, with the
// position as its cursor, on the dialog's own settings in the "Player" section: "Device" (the
// index in the device list) and "VolumeDB". Play (F9) plays from the position (from the start
// when the position lies in the last second), Scrub (Space) loops a snippet at the played
// position, Stop (Esc), Start (Home) and End (End) jump, and Rewind and Forward (the buttons, or
// Left and Right held) wind while held and then resume what was going on. A change of the dB box
// sets the output volume at once.
//
// Interface thread only.

#include <QDialog>
#include <memory>

#include "core/prompts.h"
#include "devices/mixer.h"
#include "devices/sound_player.h"
#include "document/cut_list_audio.h"
#include "document/edit_document.h"
#include "editor_model/transport.h"

class QComboBox;
class QLabel;
class QSlider;
class QToolButton;
class QVBoxLayout;

namespace sonvara {

class LDBDisplay;
class LDBEdit;
class LWaveWindow;

class LPlayerBaseDlg : public QDialog, private TransportHost {
    Q_OBJECT

  public:
    static constexpr const char* kSection = "Player";

    // `player` and `outputs` must outlive the dialog. `owner` (with `owner_user`) gets the
    // player's notifications back when the dialog closes. Messages go to `prompts`, or to
    // message boxes when null.
    LPlayerBaseDlg(LSoundPlayer& player, WaveOutProvider& outputs, const LCutListAudio& source,
                   LSoundPlayerNotify* owner = nullptr, std::uint32_t owner_user = 0,
                   Prompts* prompts = nullptr, QWidget* parent = nullptr);
    ~LPlayerBaseDlg() override;

    // (Re)starts the wave display on the dialog's sound.
    void StartWaveScan();

    // The transport.
    void CmPlay();
    void CmScrub();
    // Stops the sound; a dialog built on this one stops what else it runs.
    virtual void CmStop();
    void CmStart();
    void CmEnd();
    // Winding: `forward` false rewinds. Press starts, release stops and resumes.
    void WindPressed(bool forward);
    void WindReleased(bool forward);

    // The position shown (frames of the sound).
    std::int32_t Position() const { return position_; }
    // Moves the position to `frame`, or playing there when the sound plays (the slider does).
    void SetPosition(std::int32_t frame);

    void done(int result) override;

  protected:
    // For dialogs built on this one: the column of rows (the last two are the meter and the
    // closing row), the level meter, the wave display, and the sound shown, replaced with the
    // position at `frame`.
    QVBoxLayout* Body() const { return body_; }
    LDBDisplay* Meter() const { return meter_; }
    LWaveWindow* Wave() const { return wave_; }
    void SetSound(const LCutListAudio& sound, std::int32_t frame);
    // Shows `milliseconds` in the big time display (a recording's time as it grows).
    void ShowTime(std::int32_t milliseconds);

    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

  private:
    // TransportHost
    void DeviceFailed(const std::string& reason) override;
    void PlaybackEnded(const std::string& reason) override;
    void LevelsChanged(const SoundLevels& levels) override;
    void PositionReported(std::int32_t frame) override;

    QToolButton* AddButton(const QString& name, const QString& tip, int icon);
    void ShowPosition(std::int32_t frame);
    void SliderMoved(int value);
    int Device() const;
    void DeviceChosen(int index);
    void VolumeChanged(int db);
    void Detach();

    LSoundPlayer& player_;
    WaveOutProvider& outputs_;
    LEditDocument document_;  // the sound, the position as its cursor
    LMixer mixer_;
    LSoundPlayerNotify* owner_;
    std::uint32_t owner_user_;
    Prompts* prompts_;
    std::unique_ptr<Prompts> own_prompts_;
    std::unique_ptr<LTransport> transport_;  // null once closed

    QLabel* time_ = nullptr;
    QSlider* slider_ = nullptr;
    LWaveWindow* wave_ = nullptr;
    QComboBox* devices_ = nullptr;
    LDBEdit* volume_ = nullptr;
    LDBDisplay* meter_ = nullptr;
    QVBoxLayout* body_ = nullptr;

    std::int32_t position_ = 0;
};

}  // namespace sonvara
