#include "editor/transport/player_dialog.h"

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

#include "audio/sound_time.h"
#include "core/settings.h"
#include "devices/wave_out.h"
#include "editor/common/qt_runtime.h"
#include "view/db_display.h"
#include "view/db_edit.h"
#include "view/player_wave_window.h"

namespace sonvara {
namespace {

constexpr int kMaxDevices = 127;
constexpr int kTopDb = 12;
// The scrub snippet shown on the wave display: 25 ms.
constexpr int kSnippetMs = 25;

}  // namespace

LPlayerBaseDlg::LPlayerBaseDlg(LSoundPlayer& player, WaveOutProvider& outputs,
                               const LCutListAudio& source, LSoundPlayerNotify* owner,
                               std::uint32_t owner_user, Prompts* prompts, QWidget* parent)
    : QDialog(parent),
      player_(player),
      outputs_(outputs),
      mixer_(outputs.DeviceNames()),
      owner_(owner),
      owner_user_(owner_user),
      prompts_(prompts) {
    setObjectName("LPlayerBaseDlg");
    document_.Audio() = source;
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
    device_label->setObjectName("deviceLabel");
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
    body_ = layout;
    layout->addWidget(time_);
    layout->addWidget(wave_, 1);
    layout->addWidget(slider_);
    layout->addLayout(buttons);
    layout->addLayout(device_row);
    layout->addWidget(meter_);
    layout->addLayout(bottom);

    connect(slider_, &QSlider::sliderMoved, this, &LPlayerBaseDlg::SliderMoved);
    connect(wave_, &LWaveWindow::positionSet, this, &LPlayerBaseDlg::SetPosition);
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

    // The sound the owner was playing stops (and the owner hears of it) before the dialog's
    // transport takes the notifications.
    transport_ =
        std::make_unique<LTransport>(player_, outputs_, static_cast<TransportHost&>(*this));
    transport_->SetOutput(Device(), volume_->Value());
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
    if (!transport_) {
        return;
    }
    transport_.reset();
    player_.SetNotify(owner_, owner_user_);
    wave_->Stop();
}

void LPlayerBaseDlg::done(int result) {
    Detach();
    QDialog::done(result);
}

void LPlayerBaseDlg::StartWaveScan() {
    wave_->Start(document_.Audio());
    ShowPosition(position_);
}

int LPlayerBaseDlg::Device() const {
    return devices_->count() > 0 ? devices_->currentIndex() : -1;
}

void LPlayerBaseDlg::DeviceChosen(int index) {
    WriteInt(kSection, "Device", index);
    if (transport_) {
        transport_->SetOutput(Device(), volume_->Value());
    }
}

void LPlayerBaseDlg::VolumeChanged(int db) {
    WriteInt(kSection, "VolumeDB", db);
    mixer_.SetOutVolume(Device(), 0, db);
    if (transport_) {
        transport_->SetOutput(Device(), db);
    }
}

void LPlayerBaseDlg::ShowPosition(std::int32_t frame) {
    const LCutListAudio& sound = document_.Audio();
    const std::int32_t rate = sound.GetSampleRate();
    time_->setText(
        QString::fromStdString(LSoundTime(MillisecondsFromFrames(frame, rate)).Hundredths()));
    const std::int64_t length = sound.GetLength();
    slider_->setValue(length > 0 ? static_cast<int>(100 * static_cast<std::int64_t>(frame) / length)
                                 : 0);
    if (wave_->IsRunning()) {
        wave_->SetPosition(frame, player_.IsCue() ? rate * kSnippetMs / 1000 : 0);
        wave_->SetRequest(std::max(frame - rate, 0), 2 * rate);
    }
}

void LPlayerBaseDlg::ShowTime(std::int32_t milliseconds) {
    time_->setText(QString::fromStdString(LSoundTime(milliseconds).Hundredths()));
}

void LPlayerBaseDlg::SetSound(const LCutListAudio& sound, std::int32_t frame) {
    if (transport_) {
        transport_->Stop();
    }
    document_.Audio() = sound;
    StartWaveScan();
    SetPosition(frame);
}

void LPlayerBaseDlg::SetPosition(std::int32_t frame) {
    frame = std::clamp(frame, 0, document_.Audio().GetLength());
    if (transport_ && transport_->SeekTo(frame)) {
        return;  // the position follows the sound there
    }
    position_ = frame;
    document_.Positions().cursor = frame;
    ShowPosition(position_);
}

void LPlayerBaseDlg::SliderMoved(int value) {
    SetPosition(static_cast<std::int32_t>(static_cast<std::int64_t>(document_.Audio().GetLength()) *
                                          value / 100));
}

void LPlayerBaseDlg::CmPlay() {
    transport_->Play(document_, false);
}

void LPlayerBaseDlg::CmScrub() {
    transport_->Scrub(document_);
}

void LPlayerBaseDlg::CmStop() {
    transport_->Stop();
    SetPosition(document_.Positions().cursor);
}

void LPlayerBaseDlg::CmStart() {
    SetPosition(0);
}

void LPlayerBaseDlg::CmEnd() {
    if (!transport_->SeekToEnd()) {
        SetPosition(document_.Audio().GetLength());
    }
}

void LPlayerBaseDlg::WindPressed(bool forward) {
    transport_->PressWind(document_, forward ? Wind::kForward : Wind::kRewind);
    if (!transport_->IsActive()) {
        SetPosition(document_.Positions().cursor);
    }
}

void LPlayerBaseDlg::WindReleased(bool forward) {
    transport_->ReleaseWind(forward ? Wind::kForward : Wind::kRewind);
    if (!transport_->IsActive()) {
        SetPosition(document_.Positions().cursor);
    }
}

void LPlayerBaseDlg::DeviceFailed(const std::string& reason) {
    prompts_->Ask(NoOutputDeviceMessage(reason));
}

void LPlayerBaseDlg::PlaybackEnded(const std::string& reason) {
    meter_->Reset();
    position_ = document_.Positions().cursor;  // where the sound ran out or failed
    ShowPosition(position_);
    if (!reason.empty()) {
        prompts_->Ask({"Sonvara", "La reproducción se detuvo: " + reason, PromptIcon::kWarning,
                       PromptButtons::kOk});
    }
}

void LPlayerBaseDlg::LevelsChanged(const SoundLevels& levels) {
    meter_->SetLevels(levels);
}

void LPlayerBaseDlg::PositionReported(std::int32_t frame) {
    position_ = frame;
    ShowPosition(frame);
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
    if (key == Qt::Key_Escape && transport_->IsActive()) {
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
