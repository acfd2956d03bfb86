#pragma once
// TransportController: the transport and recording room. It owns the transport (one player on
// a wave output) and follows playback: the play cursor moves in both views of the playing file's
// window at the screen's refresh, and the cursor's time field with it. What plays a file stops
// before the file's document changes or its window closes. The keys that act on press and
// release (the winds, scrub) come here through KeyEvent. Interface thread only.

#include <QObject>
#include <cstdint>
#include <memory>

#include "document/frame_range.h"
#include "editor_model/effect_preview.h"
#include "editor_model/transport.h"

class QEvent;
class QTimer;

namespace sonvara {

class EditorWorkspace;
class LCutListAudio;
class LDBDisplay;
class LSVFileWindow;
class WaveInProvider;
class WaveOutProvider;

class TransportController : public QObject, private TransportHost {
    Q_OBJECT

  public:
    // Plays on `outputs`.
    TransportController(EditorWorkspace& workspace, std::unique_ptr<WaveOutProvider> outputs);
    ~TransportController() override;

    LTransport& Transport() { return *transport_; }
    WaveOutProvider& Outputs() { return *outputs_; }
    // The level meter showing the levels of the sound heard (not owned).
    void ShowLevelsIn(LDBDisplay* meter) { meter_ = meter; }
    // The wave inputs recordings come from (null: the machine's own); `inputs` must outlive the
    // controller.
    void SetWaveInputs(WaveInProvider* inputs) { inputs_ = inputs; }

    // The file whose document plays, or null.
    LSVFileWindow* PlayingFile() const;
    // A preview for an effect dialog of the current file (null when there is none) on the
    // transport's player and the chosen output; what played stops first.
    std::unique_ptr<LEffectPreview> MakeEffectPreview();

    // Play (F9): the selection, or from the cursor; `loop`: again and again.
    void CmPlay(bool loop = false);
    // Stores "PlaySpeed" (0 slow, 1 normal, 2 fast) and plays.
    void CmPlayAtSpeed(int speed);
    void CmStop();
    // Scrub (Space): plays when idle, then loops a snippet at the heard place.
    void CmScrub();
    // The cursor to the start or the end (a seek while the current file plays).
    void CmStart();
    void CmEnd();
    // The winds while held (keys, tool-bar buttons); `select`: the selection follows the cursor.
    void PressWind(Wind wind, bool select = false);
    void ReleaseWind(Wind wind);
    // A menu's wind: starts it, or ends it when it runs.
    void CmToggleWind(Wind wind);
    // Plays `file` from `frame` (the play after an edit or an open, a bookmark's play): a
    // missing output is told only the first time.
    void PlayFrom(LSVFileWindow* file, std::int32_t frame);
    // The player dialog over the current file's sound, on the transport's player: what plays
    // stops first, and the transport has the player back when the dialog closes.
    void CmPlayer();
    // Records in the record dialog into the current file, in place of its selection, as one
    // undoable step "Record" for each recording handed over.
    void CmRecord();

    // A key event for the frame's window: the winds on F7, F8 and the arrows (Shift: selecting)
    // from press to release, scrub on Space. True when it was one of these.
    bool KeyEvent(QEvent* event);

  private:
    // TransportHost
    void DeviceFailed(const std::string& reason) override;
    void PlaybackEnded(const std::string& reason) override;
    void LevelsChanged(const SoundLevels& levels) override;
    // Moves the play cursor to the frame heard now; stops following when playback stopped.
    void FollowPlayback();
    // Starts following playback of `file` when anything plays.
    void StartFollowing(LSVFileWindow* file);
    // The cursor where playback left it, in the views and the time fields.
    void ShowStopped(LSVFileWindow* file);
    // Stops playback when it plays `file`'s document.
    void StopPlaying(const LSVFileWindow* file);
    // Puts `recording` into `file` in place of `place`, which then runs over the recording, as the
    // undoable step "Record".
    void PutRecording(LSVFileWindow* file, const LCutListAudio& recording, FrameRange& place);

    EditorWorkspace& workspace_;
    std::unique_ptr<WaveOutProvider> outputs_;
    std::unique_ptr<LTransport> transport_;
    WaveInProvider* inputs_ = nullptr;
    std::unique_ptr<WaveInProvider> system_inputs_;  // made at the first recording without inputs_
    LDBDisplay* meter_ = nullptr;
    QTimer* play_timer_;                  // the screen's refresh while playing
    LSVFileWindow* following_ = nullptr;  // whose views show the play cursor
    bool wind_selects_ = false;           // a Shift wind: the selection follows the cursor
    std::int32_t selection_anchor_ = 0;
};

}  // namespace sonvara
