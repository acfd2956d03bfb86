#pragma once
// LRecordDlg: the record dialog. Over the player dialog (the file's sound with the recording in
// its place, the transport, the level meter) it records takes from the input the "Recorder"
// settings choose (LRecordDlgAdvanced edits them):
// - "Grabar (F8)" arms a take after those recorded so far: the mixer's line and volume are set,
//   and with the trim on the recorder waits for sound (the threshold), pauses on silence when
//   voice-activated, and stops at the maximum time; pressed again, it stops the take.
// - "Reiniciar (F6)" records the running take again from its start.
// - "Nueva Toma (F7)" ends the running take, keeps it, and arms the next one after it.
// - "Grabar siguiente (F5)" ends the running take and hands every take so far to the owner, who
//   puts them in the file at once as a step of their own; the next take is armed after them.
// The meter shows the input's peaks with their hold and clip lights, beside the state (stopped,
// waiting for sound, recording) and the time recorded.
//
// Takes are written through LSNKRecordingWriter, so the audio recorded so far is in finished cut
// files as it goes. A take that cannot start (the device cannot be opened) or that fails (a full
// disk) says why; a failed take keeps what was written before the failure. The dialog closes with
// "Cerrar", keeping the recording for the owner (Recording()); closing it otherwise with a
// recording asks before the recording is thrown away.
//
// Interface thread only; the recorder's notifications arrive through `loop`.

#include <functional>
#include <memory>

#include "devices/sound_recorder.h"
#include "document/frame_range.h"
#include "document/recording_writer.h"
#include "editor/transport/player_dialog.h"
#include "editor/transport/record_advanced_dialog.h"

class QLabel;
class QPushButton;

namespace sonvara {

class WaveInProvider;

class LLiveTakeView;

class LRecordDlg : public LPlayerBaseDlg, private LSoundRecorderNotify {
    Q_OBJECT

  public:
    // Puts `recording` into the file in place of the range the dialog was given; the next
    // recording goes right after it.
    using KeepRecording = std::function<void(const LCutListAudio& recording)>;

    // `sound` is the file's, `place` the range the recording replaces, `format` the recording's
    // rate and channels (the file's). `inputs` and `loop` must outlive the dialog; the rest as
    // for the player dialog.
    LRecordDlg(LSoundPlayer& player, WaveOutProvider& outputs, WaveInProvider& inputs,
               MessageLoop& loop, const LCutListAudio& sound, FrameRange place, KeepRecording keep,
               LSoundPlayerNotify* owner = nullptr, std::uint32_t owner_user = 0,
               Prompts* prompts = nullptr, QWidget* parent = nullptr);
    ~LRecordDlg() override;

    void CmRecord();
    void CmRetake();
    void CmNewTake();
    void CmRecordNext();
    void CmAdvanced();
    // Stops the take, or else the sound.
    void CmStop() override;

    LSoundRecorder::State RecorderState() const { return recorder_.GetState(); }
    // The takes kept since the dialog opened or the last "Grabar siguiente".
    const LCutListAudio& Recording() const { return recording_; }

    void done(int result) override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // LSoundRecorderNotify
    void EvRecording(std::uint32_t user) override;
    void EvWaiting(std::uint32_t user) override;
    void EvStop(std::uint32_t user) override;
    void EvPosition(std::uint32_t user, std::int32_t milliseconds) override;
    void EvLevels(std::uint32_t user, const SoundLevels& levels) override;

    bool Active() const { return recorder_.GetState() != LSoundRecorder::kStopped; }
    // Starts a take after the recording; false (after saying why) when it cannot start.
    bool Arm();
    // The file's sound with the recording in its place, shown at the recording's end.
    void ShowSound();
    void ShowState();
    void ShowRecorded(std::int32_t take_ms);

    WaveInProvider& inputs_;
    LSoundRecorder recorder_;
    LCutListAudio sound_;
    FrameRange place_;
    KeepRecording keep_;
    LCutListAudio recording_;
    CountedRef<LSNKRecordingWriter> take_;  // the running take's sink
    std::unique_ptr<Prompts> own_prompts_;
    Prompts* prompts_;

    // The take as it comes, in place of the wave display while recording.
    LLiveTakeView* live_ = nullptr;
    QLabel* state_ = nullptr;
    QLabel* recorded_ = nullptr;
    QLabel* input_ = nullptr;
    QPushButton* record_ = nullptr;
    QPushButton* retake_ = nullptr;
    QPushButton* new_take_ = nullptr;
    QPushButton* record_next_ = nullptr;
};

}  // namespace sonvara
