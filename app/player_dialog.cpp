#include "app/player_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "app/qt_runtime.h"
#include "app/transport.h"
#include "audio/sound_time.h"
#include "core/settings.h"
#include "devices/wave_out.h"
#include "document/cut_list_reader.h"
#include "effects/time_stretch.h"
#include "view/db_display.h"
#include "view/db_edit.h"
#include "view/player_wave_window.h"

namespace sonvara {
namespace {

constexpr int kMaxDevices = 127;
constexpr int kTopDb = 12;
// The wind: how far a rewind jumps back first (a fraction of a second), the speeds, the ramp.
constexpr int kRewindJumpDivisor = 5;
constexpr int kCueRewindJumpDivisor = 10;
constexpr std::int32_t kWindRampMs = 8000;
// The scrub snippet shown on the wave display: 25 ms.
constexpr int kSnippetMs = 25;
// While winding, the volume drops to this when "ReduceVolWhenRewind" is set.
constexpr int kWindVolumeDb = -8;

// Seconds of sound a wind has passed over after `seconds` of output: the speed moves linearly
// from `start` to `end` over the ramp, then stays at `end`.
double WoundSeconds(double seconds, double start, double end, double ramp) {
    if (seconds <= ramp) {
        return start * seconds + (end - start) * seconds * seconds / (2 * ramp);
    }
    return (start + end) * ramp / 2 + end * (seconds - ramp);
}

}  // namespace

LPlayerBaseDlg::LPlayerBaseDlg(LSoundPlayer& player, WaveOutProvider& outputs,
                               const LCutListAudio& source, LSoundPlayerNotify* owner,
                               std::uint32_t owner_user, Prompts* prompts, QWidget* parent)
    : QDialog(parent),
      player_(player),
      document_(source),
      mixer_(outputs.DeviceNames()),
      owner_(owner),
      owner_user_(owner_user),
      prompts_(prompts) {
    setObjectName("LPlayerBaseDlg");
    setWindowTitle(tr("Reproductor"));
    if (prompts_ == nullptr) {
        own_prompts_ = std::make_unique<QtPrompts>(this);
        prompts_ = own_prompts_.get();
    }

    time_ = new QLabel(this);
    time_->setObjectName("position");
    QFont big = time_->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setStyleHint(QFont::Monospace);
    time_->setFont(big);
    wave_ = new LWaveWindow(this);
    wave_->setMinimumSize(320, 64);
    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setObjectName("positionSlider");
    slider_->setRange(0, 100);
    slider_->setFocusPolicy(Qt::NoFocus);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    const std::array<QToolButton*, 7> transport = {
        AddButton("play", "Reproducir (F9)", QStyle::SP_MediaPlay),
        AddButton("scrub", "Scrub (Space)", QStyle::SP_MediaPause),
        AddButton("stop", "Detener (Esc)", QStyle::SP_MediaStop),
        AddButton("start", "Saltar al Inicio (Home)", QStyle::SP_MediaSkipBackward),
        AddButton("rewind", "Rebobinar (<-)", QStyle::SP_MediaSeekBackward),
        AddButton("forward", "Avanzar Rapido (->)", QStyle::SP_MediaSeekForward),
        AddButton("end", "Saltar al Final (End)", QStyle::SP_MediaSkipForward),
    };
    for (QToolButton* button : transport) {
        buttons->addWidget(button);
    }
    connect(transport[0], &QToolButton::clicked, this, &LPlayerBaseDlg::CmPlay);
    connect(transport[1], &QToolButton::clicked, this, &LPlayerBaseDlg::CmScrub);
    connect(transport[2], &QToolButton::clicked, this, &LPlayerBaseDlg::CmStop);
    connect(transport[3], &QToolButton::clicked, this, &LPlayerBaseDlg::CmStart);
    connect(transport[4], &QToolButton::pressed, this, [this] { WindPressed(false); });
    connect(transport[4], &QToolButton::released, this, [this] { WindReleased(false); });
    connect(transport[5], &QToolButton::pressed, this, [this] { WindPressed(true); });
    connect(transport[5], &QToolButton::released, this, [this] { WindReleased(true); });
    connect(transport[6], &QToolButton::clicked, this, &LPlayerBaseDlg::CmEnd);
    buttons->addStretch();

    volume_ = new LDBEdit(this);
    volume_->SetRange(LDBEdit::kSilence, kTopDb);
    volume_->SetValue(ReadInt(kSection, "VolumeDB", 0));
    volume_->setMaximumWidth(volume_->fontMetrics().horizontalAdvance("-127dB") * 2);
    auto* volume_label = new QLabel(tr("&Volumen:"), this);
    volume_label->setBuddy(volume_);
    buttons->addWidget(volume_label);
    buttons->addWidget(volume_);

    devices_ = new QComboBox(this);
    devices_->setObjectName("devices");
    std::vector<std::string> names = outputs.DeviceNames();
    names.resize(std::min<std::size_t>(names.size(), kMaxDevices));
    for (const std::string& name : names) {
        devices_->addItem(QString::fromStdString(name));
    }
    const int stored = ReadInt(kSection, "Device", 0);
    devices_->setCurrentIndex(stored >= 0 && stored < devices_->count() ? stored : 0);
    auto* device_label = new QLabel(tr("&Dispositivo:"), this);
    device_label->setBuddy(devices_);
    auto* device_row = new QHBoxLayout;
    device_row->addWidget(device_label);
    device_row->addWidget(devices_, 1);

    meter_ = new LDBDisplay(this);

    auto* close = new QPushButton(tr("Cerrar"), this);
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(time_);
    layout->addWidget(wave_, 1);
    layout->addWidget(slider_);
    layout->addLayout(buttons);
    layout->addLayout(device_row);
    layout->addWidget(meter_);
    layout->addLayout(bottom);

    connect(slider_, &QSlider::sliderMoved, this, &LPlayerBaseDlg::SliderMoved);
    connect(wave_, &LWaveWindow::positionSet, this, [this](std::int32_t frame) {
        if (player_.IsIdle()) {
            SetPosition(frame);
        } else {
            player_.Seek(frame);
        }
    });
    connect(devices_, &QComboBox::currentIndexChanged, this, &LPlayerBaseDlg::DeviceChosen);
    connect(volume_, &LDBEdit::valueChanged, this, &LPlayerBaseDlg::VolumeChanged);

    const std::pair<QKeySequence, void (LPlayerBaseDlg::*)()> keys[] = {
        {Qt::Key_F9, &LPlayerBaseDlg::CmPlay},
        {Qt::Key_Space, &LPlayerBaseDlg::CmScrub},
        {Qt::Key_Home, &LPlayerBaseDlg::CmStart},
        {Qt::Key_End, &LPlayerBaseDlg::CmEnd},
    };
    for (const auto& [key, command] : keys) {
        connect(new QShortcut(key, this), &QShortcut::activated, this, command);
    }

    // The sound the owner was playing stops (and the owner hears of it) before the dialog
    // takes the notifications.
    player_.Stop();
    player_.SetNotify(this, 0);
    attached_ = true;
    StartWaveScan();
    SetPosition(0);
}

LPlayerBaseDlg::~LPlayerBaseDlg() {
    Detach();
}

QToolButton* LPlayerBaseDlg::AddButton(const QString& name, const QString& tip, int icon) {
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setToolTip(tip);
    button->setIcon(style()->standardIcon(static_cast<QStyle::StandardPixmap>(icon)));
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRaise(true);
    return button;
}

void LPlayerBaseDlg::Detach() {
    if (!attached_) {
        return;
    }
    attached_ = false;
    wind_.active = false;
    player_.Stop();
    player_.SetNotify(owner_, owner_user_);
    wave_->Stop();
}

void LPlayerBaseDlg::done(int result) {
    Detach();
    QDialog::done(result);
}

void LPlayerBaseDlg::StartWaveScan() {
    wave_->Start(document_);
    ShowPosition(position_, MillisecondsFromFrames(position_, document_.GetSampleRate()));
}

int LPlayerBaseDlg::Device() const {
    return devices_->count() > 0 ? devices_->currentIndex() : -1;
}

void LPlayerBaseDlg::DeviceChosen(int index) {
    WriteInt(kSection, "Device", index);
}

void LPlayerBaseDlg::VolumeChanged(int db) {
    WriteInt(kSection, "VolumeDB", db);
    mixer_.SetOutVolume(Device(), 0, db);
}

void LPlayerBaseDlg::ShowPosition(std::int32_t frame, std::int32_t milliseconds) {
    time_->setText(QString::fromStdString(LSoundTime(milliseconds).Hundredths()));
    const std::int64_t length = document_.GetLength();
    slider_->setValue(length > 0 ? static_cast<int>(100 * static_cast<std::int64_t>(frame) / length)
                                 : 0);
    if (wave_->IsRunning()) {
        const std::int32_t rate = document_.GetSampleRate();
        wave_->SetPosition(frame, player_.IsCue() ? rate * kSnippetMs / 1000 : 0);
        wave_->SetRequest(std::max(frame - rate, 0), 2 * rate);
    }
}

void LPlayerBaseDlg::SetPosition(std::int32_t frame) {
    position_ = std::clamp(frame, 0, document_.GetLength());
    ShowPosition(position_, MillisecondsFromFrames(position_, document_.GetSampleRate()));
}

void LPlayerBaseDlg::SliderMoved(int value) {
    const auto frame =
        static_cast<std::int32_t>(static_cast<std::int64_t>(document_.GetLength()) * value / 100);
    if (player_.IsIdle()) {
        SetPosition(frame);
    } else {
        player_.Seek(frame);
    }
}

bool LPlayerBaseDlg::PlayFrom(std::int32_t frame) {
    player_.Stop();
    const std::int32_t rate = document_.GetSampleRate();
    if (frame > document_.GetLength() - rate) {
        frame = 0;
    }
    LSoundSourceRef source(new LSRCCutListAudio(document_));
    if (frame != 0) {
        source->Seek(frame);
    }
    player_.SetDevice(Device());
    if (!player_.Start(source, 0)) {
        prompts_->Ask(
            {"Sonvara", kNoOutputDeviceMessage, PromptIcon::kInformation, PromptButtons::kOk});
        return false;
    }
    return true;
}

void LPlayerBaseDlg::CmPlay() {
    if (player_.IsCue()) {
        player_.Play();
        return;
    }
    PlayFrom(position_);
}

void LPlayerBaseDlg::CmScrub() {
    if (player_.IsIdle() && !PlayFrom(position_)) {
        return;
    }
    player_.Cue();
}

void LPlayerBaseDlg::CmStop() {
    wind_.active = false;
    player_.Stop();
}

void LPlayerBaseDlg::CmStart() {
    if (player_.IsIdle()) {
        SetPosition(0);
    } else {
        player_.Seek(0);
    }
}

void LPlayerBaseDlg::CmEnd() {
    const std::int32_t length = document_.GetLength();
    if (player_.IsIdle()) {
        SetPosition(length);
    } else {
        const std::int32_t back = player_.IsCue() ? 0 : document_.GetSampleRate();
        player_.Seek(std::max(length - back, 0));
    }
}

void LPlayerBaseDlg::WindPressed(bool forward) {
    if (wind_.active && wind_.forward == forward) {
        return;
    }
    // An opposite wind ends here; what it would have resumed is resumed after this one.
    const Resume resume = wind_.active       ? wind_.resume
                          : player_.IsCue()  ? Resume::kCue
                          : player_.IsIdle() ? Resume::kIdle
                                             : Resume::kPlaying;
    wind_.active = false;
    player_.Stop();
    const bool cue = resume == Resume::kCue;
    const std::int32_t rate = document_.GetSampleRate();
    std::int32_t from = position_;
    if (!forward) {
        from = std::max(from - rate / (cue ? kCueRewindJumpDivisor : kRewindJumpDivisor), 0);
    }
    const double start_speed = forward ? (cue ? 0.1 : 1.5) : (cue ? -0.1 : -0.5);
    const double end_speed = forward ? (cue ? 3.0 : 7.0) : (cue ? -3.0 : -7.0);
    LSoundSourceRef document(new LSRCCutListAudio(document_));
    document->Seek(from);
    LSoundSourceRef source(new LSRCTimeStretch(document, start_speed, end_speed, kWindRampMs));
    if (ReadBool("Settings", "ReduceVolWhenRewind", false)) {
        mixer_.SetOutVolume(Device(), 0, kWindVolumeDb);
    }
    SetPosition(from);
    player_.SetDevice(Device());
    wind_ = {true, forward, resume, from, start_speed, end_speed};
    if (!player_.Start(source, 0)) {
        wind_.active = false;
        if (!forward) {
            prompts_->Ask(
                {"Sonvara", kNoOutputDeviceMessage, PromptIcon::kInformation, PromptButtons::kOk});
        }
    }
}

void LPlayerBaseDlg::WindReleased(bool forward) {
    if (!wind_.active || wind_.forward != forward) {
        return;
    }
    wind_.active = false;
    if (ReadBool("Settings", "ReduceVolWhenRewind", false)) {
        mixer_.SetOutVolume(Device(), 0, volume_->Value());
    }
    player_.Stop();
    if (wind_.resume == Resume::kCue) {
        if (PlayFrom(position_)) {
            player_.Cue();
        }
    } else if (wind_.resume == Resume::kPlaying) {
        PlayFrom(position_);
    }
}

void LPlayerBaseDlg::EvPosition(std::uint32_t, std::int32_t milliseconds) {
    const std::int32_t rate = document_.GetSampleRate();
    std::int64_t frame = static_cast<std::int64_t>(milliseconds) * rate / 1000;
    if (wind_.active) {
        // The stretch reports its own output; the sound passed over follows from the speeds.
        const double seconds = WoundSeconds(milliseconds / 1000.0, wind_.start_speed,
                                            wind_.end_speed, kWindRampMs / 1000.0);
        frame = wind_.from + static_cast<std::int64_t>(seconds * rate);
    }
    position_ =
        static_cast<std::int32_t>(std::clamp<std::int64_t>(frame, 0, document_.GetLength()));
    ShowPosition(position_, wind_.active ? MillisecondsFromFrames(position_, rate) : milliseconds);
}

void LPlayerBaseDlg::EvLevels(std::uint32_t, const SoundLevels& levels) {
    meter_->SetLevels(levels);
}

void LPlayerBaseDlg::EvStop(std::uint32_t) {
    meter_->Reset();
}

void LPlayerBaseDlg::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Left || key == Qt::Key_Right) {
        if (!event->isAutoRepeat()) {
            WindPressed(key == Qt::Key_Right);
        }
        event->accept();
        return;
    }
    if (key == Qt::Key_Escape && !player_.IsIdle()) {
        CmStop();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void LPlayerBaseDlg::keyReleaseEvent(QKeyEvent* event) {
    const int key = event->key();
    if ((key == Qt::Key_Left || key == Qt::Key_Right) && !event->isAutoRepeat()) {
        WindReleased(key == Qt::Key_Right);
        event->accept();
        return;
    }
    QDialog::keyReleaseEvent(event);
}

}  // namespace sonvara
