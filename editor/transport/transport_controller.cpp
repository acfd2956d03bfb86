// The transport room: play, the speeds, stop, scrub and the winds on the current file, the keys
// that act on press and release, and the play cursor that follows playback.

#include "editor/transport/transport_controller.h"

#include <QEvent>
#include <QKeyEvent>
#include <QTimer>
#include <algorithm>

#include "core/settings.h"
#include "devices/output_choice.h"
#include "devices/wave_in.h"
#include "devices/wave_out.h"
#include "editor/common/file_window.h"
#include "editor/common/workspace.h"
#include "editor/transport/player_dialog.h"
#include "view/db_display.h"

namespace sonvara {
namespace {

// The play cursor is redrawn at about the screen's refresh.
constexpr int kPlayCursorMilliseconds = 16;

// The wind a key presses: F7 and Left rewind, F8 and Right wind forward (Shift may be held).
Wind WindOfKey(const QKeyEvent& key) {
    if ((key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0) {
        return Wind::kNone;
    }
    switch (key.key()) {
        case Qt::Key_F7:
        case Qt::Key_Left:
            return Wind::kRewind;
        case Qt::Key_F8:
        case Qt::Key_Right:
            return Wind::kForward;
        default:
            return Wind::kNone;
    }
}

}  // namespace

TransportController::TransportController(EditorWorkspace& workspace,
                                         std::unique_ptr<WaveOutProvider> outputs)
    : workspace_(workspace),
      outputs_(std::move(outputs)),
      transport_(std::make_unique<LTransport>(workspace.Loop(), *outputs_,
                                              static_cast<TransportHost&>(*this))),
      play_timer_(new QTimer(this)) {
    play_timer_->setTimerType(Qt::PreciseTimer);
    play_timer_->setInterval(kPlayCursorMilliseconds);
    connect(play_timer_, &QTimer::timeout, this, &TransportController::FollowPlayback);
    connect(&workspace_, &EditorWorkspace::changing, this,
            [this](LSVFileWindow* file) { StopPlaying(file); });
    // An edit plays its result through its document when "AutoPlaybackAfterEffects" is on.
    connect(&workspace_, &EditorWorkspace::fileAdded, this, [this](LSVFileWindow* file) {
        LEditCallbacks callbacks;
        callbacks.play_from = [this, file](std::int32_t frame) { PlayFrom(file, frame); };
        file->Document().SetCallbacks(std::move(callbacks));
    });
}

TransportController::~TransportController() {
    // Playback ends before the files and the outputs it plays on.
    transport_.reset();
}

LSVFileWindow* TransportController::PlayingFile() const {
    const LEditDocument* playing = transport_ != nullptr ? transport_->Document() : nullptr;
    if (playing == nullptr) {
        return nullptr;
    }
    const std::vector<LSVFileWindow*>& files = workspace_.Files();
    const auto found = std::find_if(files.begin(), files.end(), [playing](LSVFileWindow* file) {
        return &file->Document() == playing;
    });
    return found != files.end() ? *found : nullptr;
}

void TransportController::StartFollowing(LSVFileWindow* file) {
    if (!transport_->IsActive()) {
        ShowStopped(file);
        return;
    }
    following_ = file;
    play_timer_->start();
    FollowPlayback();
}

void TransportController::FollowPlayback() {
    LSVFileWindow* file = following_;
    if (file == nullptr || !workspace_.IsOpen(file)) {
        following_ = nullptr;
        play_timer_->stop();
        return;
    }
    const std::int32_t frame = transport_->HeardFrame();
    file->FollowPlayCursor(frame);
    if (file == workspace_.CurrentFile()) {
        if (wind_selects_) {
            workspace_.ModifySelection(selection_anchor_, frame, frame);
        } else {
            workspace_.CursorMoved();
        }
    }
    if (!transport_->IsActive()) {
        following_ = nullptr;
        wind_selects_ = false;
        play_timer_->stop();
    }
}

void TransportController::ShowStopped(LSVFileWindow* file) {
    if (!transport_->IsActive() && meter_ != nullptr) {
        // The bars fall to silence; the peak marks and clip lights keep what was heard.
        SoundLevels silence;
        silence.channels = static_cast<std::uint8_t>(std::max(meter_->Channels(), 1));
        silence.level.fill(-127);
        meter_->SetLevels(silence);
    }
    if (file == nullptr) {
        return;
    }
    if (following_ == file) {
        FollowPlayback();  // the last step: the cursor where playback left it
    } else {
        file->FollowPlayCursor(file->Document().Positions().cursor);
    }
    workspace_.Changed();
}

void TransportController::StopPlaying(const LSVFileWindow* file) {
    if (file != nullptr && transport_->Document() == &file->Document()) {
        LSVFileWindow* playing = PlayingFile();
        transport_->Stop();
        ShowStopped(playing);
    }
}

void TransportController::CmPlay(bool loop) {
    LSVFileWindow* file = workspace_.CurrentFile();
    if (file == nullptr) {
        return;
    }
    LSVFileWindow* before = PlayingFile();
    transport_->Play(file->Document(), loop);
    if (before != nullptr && before != file) {
        ShowStopped(before);
    }
    StartFollowing(file);
}

void TransportController::CmPlayAtSpeed(int speed) {
    WriteInt("Settings", "PlaySpeed", speed);
    CmPlay(false);
}

void TransportController::CmStop() {
    LSVFileWindow* playing = PlayingFile();
    transport_->Stop();
    ShowStopped(playing);
}

void TransportController::CmScrub() {
    LSVFileWindow* file = workspace_.CurrentFile();
    if (file == nullptr) {
        return;
    }
    LSVFileWindow* before = PlayingFile();
    if (before != nullptr && before != file) {
        CmStop();
    }
    transport_->Scrub(file->Document());
    StartFollowing(file);
}

void TransportController::CmStart() {
    LSVFileWindow* file = workspace_.CurrentFile();
    if (file == nullptr || (PlayingFile() == file && transport_->SeekToStart())) {
        return;
    }
    file->MoveCursor(0);
    workspace_.Changed();
}

void TransportController::CmEnd() {
    LSVFileWindow* file = workspace_.CurrentFile();
    if (file == nullptr || (PlayingFile() == file && transport_->SeekToEnd())) {
        return;
    }
    file->MoveCursor(file->Document().Audio().GetLength());
    workspace_.Changed();
}

void TransportController::PlayFrom(LSVFileWindow* file, std::int32_t frame) {
    LSVFileWindow* before = PlayingFile();
    transport_->PlayFrom(file->Document(), frame, true);
    if (before != nullptr && before != file) {
        ShowStopped(before);
    }
    StartFollowing(file);
}

void TransportController::PressWind(Wind wind, bool select) {
    LSVFileWindow* file = workspace_.CurrentFile();
    if (file == nullptr || transport_->Winding() == wind) {
        return;
    }
    LSVFileWindow* before = PlayingFile();
    if (before != nullptr && before != file) {
        CmStop();
    }
    if (transport_->Winding() == Wind::kNone) {
        wind_selects_ = select;
        selection_anchor_ = file->Document().Positions().cursor;
    }
    transport_->PressWind(file->Document(), wind);
    StartFollowing(file);
}

void TransportController::ReleaseWind(Wind wind) {
    if (transport_->Winding() != wind) {
        return;
    }
    LSVFileWindow* file = PlayingFile();
    if (file != nullptr) {
        // The selection takes the wind's last step before the resumed play moves on.
        FollowPlayback();
    }
    wind_selects_ = false;
    transport_->ReleaseWind(wind);
    StartFollowing(file);
}

void TransportController::CmToggleWind(Wind wind) {
    if (transport_->Winding() == wind) {
        ReleaseWind(wind);
    } else {
        PressWind(wind);
    }
}

void TransportController::CmPlayer() {
    LSVFileWindow* file = workspace_.CurrentFile();
    if (file == nullptr) {
        return;
    }
    CmStop();
    LPlayerBaseDlg dialog(transport_->Player(), *outputs_, file->Document().Audio(),
                          &transport_->Notifications(), 0, &workspace_.CurrentPrompts(),
                          workspace_.Frame());
    dialog.exec();
    workspace_.Changed();
}

std::unique_ptr<LEffectPreview> TransportController::MakeEffectPreview() {
    LSVFileWindow* file = workspace_.CurrentFile();
    if (file == nullptr) {
        return nullptr;
    }
    CmStop();
    transport_->Player().SetDevice(ChosenOutputDevice(*outputs_));
    return std::make_unique<LEffectPreview>(transport_->Player(), file->Document());
}

void TransportController::DeviceFailed(const std::string& reason) {
    workspace_.CurrentPrompts().Ask(NoOutputDeviceMessage(reason));
}

void TransportController::PlaybackEnded(const std::string& reason) {
    ShowStopped(following_ != nullptr ? following_ : PlayingFile());
    if (!reason.empty()) {
        workspace_.CurrentPrompts().Ask({"Sonvara", "La reproducción se detuvo: " + reason,
                                         PromptIcon::kWarning, PromptButtons::kOk});
    }
}

void TransportController::LevelsChanged(const SoundLevels& levels) {
    // A record of no channels measured nothing.
    if (levels.channels > 0 && meter_ != nullptr) {
        meter_->SetLevels(levels);
    }
}

bool TransportController::KeyEvent(QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type != QEvent::KeyPress && type != QEvent::KeyRelease) ||
        workspace_.CurrentFile() == nullptr) {
        return false;
    }
    const auto* key = static_cast<const QKeyEvent*>(event);
    const Wind wind = WindOfKey(*key);
    if (wind != Wind::kNone) {
        // A held key repeats nothing: the wind runs from the first press to the real release.
        if (!key->isAutoRepeat()) {
            if (type == QEvent::KeyPress) {
                PressWind(wind, (key->modifiers() & Qt::ShiftModifier) != 0);
            } else {
                ReleaseWind(wind);
            }
        }
        return true;
    }
    if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier) {
        if (type == QEvent::KeyPress && !key->isAutoRepeat()) {
            CmScrub();
        }
        return true;
    }
    return false;
}

}  // namespace sonvara
