#pragma once
// LPlayerBaseDlg: the player dialog over one sound (the current document). It shows the play
// position as text and on a slider (0..100), the two seconds of sound around the position
// (LWaveWindow), the seven transport buttons, the output device and the volume in dB, and the
// level meter. While it is open it is the player's notification target; when it closes it stops
// the player and gives the notifications back to the owner named at construction.
//
// The transport works as the frame's does, over the dialog's own copy of the sound and its own
// settings in the "Player" section: "Device" (the index in the device list) and "VolumeDB".
// Play (F9) plays from the position (from the start when the position lies in the last second),
// Scrub (Space) loops a snippet at the played position, Stop (Esc), Start (Home) and End (End)
// jump, and Rewind and Forward (the buttons, or Left and Right held) wind while held and then
// resume what was going on. A change of the dB box sets the output volume at once.
//
// Interface thread only.

#include <QDialog>
#include <memory>

#include "core/prompts.h"
#include "devices/mixer.h"
#include "devices/sound_player.h"
#include "document/cut_list_audio.h"

class QComboBox;
class QLabel;
class QSlider;
class QToolButton;

namespace sonvara {

class LDBDisplay;
class LDBEdit;
class LWaveWindow;

class LPlayerBaseDlg : public QDialog, public LSoundPlayerNotify {
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
    void CmStop();
    void CmStart();
    void CmEnd();
    // Winding: `forward` false rewinds. Press starts, release stops and resumes.
    void WindPressed(bool forward);
    void WindReleased(bool forward);

    // The position shown (frames of the sound).
    std::int32_t Position() const { return position_; }

    // Player notifications.
    void EvStop(std::uint32_t user) override;
    void EvPosition(std::uint32_t user, std::int32_t milliseconds) override;
    void EvLevels(std::uint32_t user, const SoundLevels& levels) override;

    void done(int result) override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

  private:
    enum class Resume { kIdle, kCue, kPlaying };
    struct Wind {
        bool active = false;
        bool forward = false;
        Resume resume = Resume::kIdle;
        std::int32_t from = 0;  // the frame the wind started at
        double start_speed = 1.0;
        double end_speed = 1.0;
    };

    QToolButton* AddButton(const QString& name, const QString& tip, int icon);
    // Plays from `frame`; false (after the message) when the device cannot be opened.
    bool PlayFrom(std::int32_t frame);
    void ShowPosition(std::int32_t frame, std::int32_t milliseconds);
    void SetPosition(std::int32_t frame);
    void SliderMoved(int value);
    int Device() const;
    void DeviceChosen(int index);
    void VolumeChanged(int db);
    void Detach();

    LSoundPlayer& player_;
    LCutListAudio document_;
    LMixer mixer_;
    LSoundPlayerNotify* owner_;
    std::uint32_t owner_user_;
    Prompts* prompts_;
    std::unique_ptr<Prompts> own_prompts_;

    QLabel* time_ = nullptr;
    QSlider* slider_ = nullptr;
    LWaveWindow* wave_ = nullptr;
    QComboBox* devices_ = nullptr;
    LDBEdit* volume_ = nullptr;
    LDBDisplay* meter_ = nullptr;

    std::int32_t position_ = 0;
    Wind wind_;
    bool attached_ = false;
};

}  // namespace sonvara
