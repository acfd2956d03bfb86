// The frame's transport: play, the speeds, stop, scrub and the winds on the current file, the
// keys that act on press and release, the held buttons of the tool bar, the play cursor that
// follows playback, and the modification pattern that stops playback first and plays the result.

#include <QAction>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

#include "core/settings.h"
#include "devices/output_choice.h"
#include "editor/common/command_icons.h"
#include "editor/common/file_window.h"
#include "editor/frame/main_window.h"
#include "editor/transport/player_dialog.h"
#include "view/db_display.h"

namespace sonvara {
namespace {

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

LSVFileWindow* MainDialog::PlayingFile() const {
    const LEditDocument* playing = transport_ != nullptr ? transport_->Document() : nullptr;
    if (playing == nullptr) {
        return nullptr;
    }
    const auto found = std::find_if(files_.begin(), files_.end(), [playing](LSVFileWindow* file) {
        return &file->Document() == playing;
    });
    return found != files_.end() ? *found : nullptr;
}

bool MainDialog::ShiftHeld() const {
    return (QGuiApplication::keyboardModifiers() & Qt::ShiftModifier) != 0;
}

void MainDialog::StartFollowing(LSVFileWindow* file) {
    if (!transport_->IsActive()) {
        ShowStopped(file);
        return;
    }
    following_ = file;
    play_timer_->start();
    FollowPlayback();
}

void MainDialog::FollowPlayback() {
    LSVFileWindow* file = following_;
    if (file == nullptr || std::find(files_.begin(), files_.end(), file) == files_.end()) {
        following_ = nullptr;
        play_timer_->stop();
        return;
    }
    const std::int32_t frame = transport_->HeardFrame();
    file->FollowPlayCursor(frame);
    if (wind_selects_ && file == current_) {
        ModifySelection(selection_anchor_, frame, frame);
    } else if (file == current_) {
        UpdateTimeFields();
    }
    if (!transport_->IsActive()) {
        following_ = nullptr;
        wind_selects_ = false;
        play_timer_->stop();
    }
}

void MainDialog::ShowStopped(LSVFileWindow* file) {
    if (!transport_->IsActive()) {
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
    EnableMenuOptions();
}

void MainDialog::StopPlaying(const LSVFileWindow* file) {
    if (file != nullptr && transport_->Document() == &file->Document()) {
        LSVFileWindow* playing = PlayingFile();
        transport_->Stop();
        ShowStopped(playing);
    }
}

void MainDialog::CmPlay(bool loop) {
    if (current_ == nullptr) {
        return;
    }
    LSVFileWindow* before = PlayingFile();
    transport_->Play(current_->Document(), loop);
    if (before != nullptr && before != current_) {
        ShowStopped(before);
    }
    StartFollowing(current_);
}

void MainDialog::CmPlayAtSpeed(int speed) {
    WriteInt("Settings", "PlaySpeed", speed);
    CmPlay(false);
}

void MainDialog::CmStop() {
    LSVFileWindow* playing = PlayingFile();
    transport_->Stop();
    ShowStopped(playing);
}

void MainDialog::CmScrub() {
    if (current_ == nullptr) {
        return;
    }
    LSVFileWindow* before = PlayingFile();
    if (before != nullptr && before != current_) {
        CmStop();
    }
    transport_->Scrub(current_->Document());
    StartFollowing(current_);
}

void MainDialog::PlayFrom(LSVFileWindow* file, std::int32_t frame) {
    LSVFileWindow* before = PlayingFile();
    transport_->PlayFrom(file->Document(), frame, true);
    if (before != nullptr && before != file) {
        ShowStopped(before);
    }
    StartFollowing(file);
}

void MainDialog::PressWind(Wind wind, bool select) {
    if (current_ == nullptr || transport_->Winding() == wind) {
        return;
    }
    LSVFileWindow* before = PlayingFile();
    if (before != nullptr && before != current_) {
        CmStop();
    }
    if (transport_->Winding() == Wind::kNone) {
        wind_selects_ = select;
        selection_anchor_ = current_->Document().Positions().cursor;
    }
    transport_->PressWind(current_->Document(), wind);
    StartFollowing(current_);
}

void MainDialog::ReleaseWind(Wind wind) {
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

void MainDialog::CmToggleWind(Wind wind) {
    if (transport_->Winding() == wind) {
        ReleaseWind(wind);
    } else {
        PressWind(wind);
    }
}

void MainDialog::CmPlayer() {
    if (current_ == nullptr) {
        return;
    }
    CmStop();
    LPlayerBaseDlg dialog(transport_->Player(), *outputs_, current_->Document().Audio(),
                          &transport_->Notifications(), 0, prompts_, this);
    dialog.exec();
    EnableMenuOptions();
}

std::unique_ptr<LEffectPreview> MainDialog::MakeEffectPreview() {
    if (current_ == nullptr) {
        return nullptr;
    }
    CmStop();
    transport_->Player().SetDevice(ChosenOutputDevice(*outputs_));
    return std::make_unique<LEffectPreview>(transport_->Player(), current_->Document());
}

void MainDialog::StartModifyCurrentFile(const std::string& name) {
    StopPlaying(current_);
    current_->Document().StartModifyCurrentFile(name);
    EnableMenuOptions();
}

void MainDialog::EndModifyCurrentFile(std::int32_t pos, std::int32_t preroll) {
    LSVFileWindow* file = current_;
    // The document plays the result through its callback (PlayFrom) when the setting is on.
    file->Document().EndModifyCurrentFile(pos, preroll);
    file->RefreshView();
    EnableMenuOptions();
}

void MainDialog::DeviceFailed(const std::string& reason) {
    prompts_->Ask(NoOutputDeviceMessage(reason));
}

void MainDialog::PlaybackEnded(const std::string& reason) {
    ShowStopped(following_ != nullptr ? following_ : PlayingFile());
    if (!reason.empty()) {
        prompts_->Ask({"Sonvara", "La reproducción se detuvo: " + reason, PromptIcon::kWarning,
                       PromptButtons::kOk});
    }
}

void MainDialog::LevelsChanged(const SoundLevels& levels) {
    // A record of no channels measured nothing.
    if (levels.channels > 0) {
        meter_->SetLevels(levels);
    }
}

void MainDialog::AddHeldButton(const Command& command) {
    QAction* action = actions_[command.id];
    auto* button = new QToolButton(tool_bar_);
    button->setIcon(action->icon());
    button->setToolTip(action->toolTip());
    button->setText(action->text());
    button->setProperty("commandId", command.id);
    button->setFocusPolicy(Qt::NoFocus);
    button->setEnabled(action->isEnabled());
    connect(action, &QAction::changed, button,
            [button, action] { button->setEnabled(action->isEnabled()); });
    const Wind wind = command.id == kCmRewind ? Wind::kRewind : Wind::kForward;
    connect(button, &QToolButton::pressed, this, [this, wind] { PressWind(wind); });
    connect(button, &QToolButton::released, this, [this, wind] { ReleaseWind(wind); });
    // The tool bar's entry carries the command as every other entry does.
    QAction* entry = tool_bar_->addWidget(button);
    entry->setProperty("commandId", command.id);
    entry->setIcon(action->icon());
    entry->setToolTip(action->toolTip());
}

bool MainDialog::eventFilter(QObject* watched, QEvent* event) {
    if (FilterMacroKey(watched, event)) {
        return true;
    }
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease) {
        return QMainWindow::eventFilter(watched, event);
    }
    // Only keys meant for the frame: not those of a dialog it shows.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != this || current_ == nullptr) {
        return QMainWindow::eventFilter(watched, event);
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
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace sonvara
