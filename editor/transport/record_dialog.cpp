#include "editor/transport/record_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <limits>

#include "audio/sound_time.h"
#include "devices/wave_in.h"
#include "editor/common/qt_runtime.h"
#include "view/db_display.h"
#include "view/live_take_view.h"
#include "view/player_wave_window.h"

namespace sonvara {

namespace {

// What the state shows: recording, waiting for sound, stopped.
constexpr const char* kStateTexts[] = {"● Grabando", "Esperando el sonido...", "Detenido"};
constexpr const char* kStopRecordText = "Detener (F8)";

// Without the voice-activated pause the quiet that would pause a take is 60 hours: never.
constexpr std::int32_t kNeverMs = 216000000;
constexpr std::int32_t kVorSilenceMs = 5000;

std::string TimeText(std::int32_t milliseconds) {
    return LSoundTime(milliseconds).Hundredths();
}

}  // namespace

LRecordDlg::LRecordDlg(LSoundPlayer& player, WaveOutProvider& outputs, WaveInProvider& inputs,
                       MessageLoop& loop, const LCutListAudio& sound, FrameRange place,
                       KeepRecording keep, LSoundPlayerNotify* owner, std::uint32_t owner_user,
                       Prompts* prompts, QWidget* parent)
    : LPlayerBaseDlg(player, outputs, sound, owner, owner_user, prompts, parent),
      inputs_(inputs),
      recorder_(loop, inputs),
      sound_(sound),
      place_(place),
      keep_(std::move(keep)),
      recording_(sound.GetSampleRate(), sound.GetChannels()),
      prompts_(prompts) {
    setObjectName("LRecordDlg");
    setWindowTitle("Grabar");
    if (prompts_ == nullptr) {
        own_prompts_ = std::make_unique<QtPrompts>(this);
        prompts_ = own_prompts_.get();
    }
    recorder_.SetNotify(this);

    state_ = new QLabel(this);
    state_->setObjectName("recordState");
    QFont bold = state_->font();
    bold.setBold(true);
    state_->setFont(bold);
    recorded_ = new QLabel(this);
    recorded_->setObjectName("recordedTime");
    input_ = new QLabel(this);
    input_->setObjectName("inputName");
    // Beside the input named here, the device row above is where the sound plays.
    if (auto* output_label = findChild<QLabel*>("deviceLabel")) {
        output_label->setText("&Salida:");
    }
    auto* status = new QHBoxLayout;
    status->addWidget(state_);
    status->addSpacing(state_->fontMetrics().horizontalAdvance("M"));
    status->addWidget(input_);
    status->addStretch();
    status->addWidget(recorded_);

    auto add = [this](const char* name, const char* text, QKeySequence key,
                      void (LRecordDlg::*command)()) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(name);
        button->setAutoDefault(false);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QPushButton::clicked, this, command);
        if (!key.isEmpty()) {
            connect(new QShortcut(key, this), &QShortcut::activated, this, command);
        }
        return button;
    };
    record_ = add("record", "Grabar (F8)", Qt::Key_F8, &LRecordDlg::CmRecord);
    retake_ = add("retake", "Reiniciar (F6)", Qt::Key_F6, &LRecordDlg::CmRetake);
    new_take_ = add("newTake", "Nueva Toma (F7)", Qt::Key_F7, &LRecordDlg::CmNewTake);
    record_next_ =
        add("recordNext", "Grabar siguiente (F5)", Qt::Key_F5, &LRecordDlg::CmRecordNext);
    QPushButton* advanced = add("advanced", "&Avanzado...", {}, &LRecordDlg::CmAdvanced);
    auto* buttons = new QGridLayout;
    buttons->addWidget(record_, 0, 0);
    buttons->addWidget(retake_, 0, 1);
    buttons->addWidget(advanced, 0, 2);
    buttons->addWidget(new_take_, 1, 0);
    buttons->addWidget(record_next_, 1, 1);

    // Above the meter and the closing row.
    QVBoxLayout* body = Body();
    live_ = new LLiveTakeView(this);
    live_->hide();
    body->insertWidget(body->indexOf(Wave()), live_, 1);
    body->insertLayout(body->count() - 2, buttons);
    body->insertLayout(body->count() - 1, status);
    // The dialog keeps its width whatever state it shows: the state and the record button are as
    // wide as their widest texts from the start.
    const QFontMetrics state_font(state_->font());
    int widest_state = 0;
    for (const char* text : kStateTexts) {
        widest_state = std::max(widest_state, state_font.horizontalAdvance(text));
    }
    state_->setMinimumWidth(widest_state);
    record_->setText(kStopRecordText);
    const int widest_record = record_->sizeHint().width();
    record_->setMinimumWidth(widest_record);

    ShowSound();
    ShowState();
}

LRecordDlg::~LRecordDlg() {
    // Closed through done(), the recorder is stopped already; a dialog destroyed while it records
    // ends the take without showing it.
    recorder_.SetNotify(nullptr);
    recorder_.Stop();
}

void LRecordDlg::done(int result) {
    if (result != Accepted && (Active() || recording_.GetLength() > 0)) {
        recorder_.Stop();
        if (recording_.GetLength() > 0) {
            const std::string length = TimeText(
                MillisecondsFromFrames(recording_.GetLength(), recording_.GetSampleRate()));
            const PromptAnswer answer =
                prompts_->Ask({"Sonvara",
                               "¿Quiere poner en el archivo lo grabado (" + length +
                                   ")? Si no, la grabación se pierde.",
                               PromptIcon::kQuestion, PromptButtons::kYesNoCancel});
            if (answer == PromptAnswer::kCancel) {
                return;
            }
            if (answer == PromptAnswer::kYes) {
                result = Accepted;
            } else {
                recording_.Clear();
            }
        }
    }
    recorder_.Stop();
    LPlayerBaseDlg::done(result);
}

bool LRecordDlg::Arm() {
    LPlayerBaseDlg::CmStop();
    live_->Clear();
    const RecorderSettings settings = RecorderSettings::Read(inputs_);
    LMixer(inputs_.DeviceNames())
        .SetInputChannel(settings.device, settings.line, settings.volume_db);
    recorder_.SetDevice(settings.device);
    // The takes together stop at the longest a document holds.
    take_ =
        new LSNKRecordingWriter(sound_.GetSampleRate(), sound_.GetChannels(), CutTank(),
                                std::numeric_limits<std::int32_t>::max() - recording_.GetLength());
    const int threshold = settings.autotrim ? settings.threshold_db : -127;
    const std::int32_t silence = settings.autotrim && settings.vor ? kVorSilenceMs : kNeverMs;
    if (!recorder_.Start(take_, 0, silence, threshold, settings.max_seconds * 1000)) {
        take_.Reset();
        ShowState();
        prompts_->Ask({"Error",
                       "No se puede grabar: no se pudo abrir el dispositivo de grabación. " +
                           recorder_.ErrorText(),
                       PromptIcon::kError, PromptButtons::kOk});
        return false;
    }
    return true;
}

void LRecordDlg::CmRecord() {
    if (Active()) {
        recorder_.Stop();
    } else {
        Arm();
    }
}

void LRecordDlg::CmRetake() {
    if (Active()) {
        recorder_.Restart();
        live_->Clear();
        ShowRecorded(0);
    }
}

void LRecordDlg::CmNewTake() {
    recorder_.Stop();
    Arm();
}

void LRecordDlg::CmRecordNext() {
    recorder_.Stop();
    if (recording_.GetLength() > 0 && keep_) {
        keep_(recording_);
        const std::int32_t at = place_.start + recording_.GetLength();
        sound_.Replace(place_.start, place_.end, recording_);
        place_ = {at, at};
        recording_.Clear();
        ShowSound();
    }
    Arm();
}

void LRecordDlg::CmAdvanced() {
    LRecordDlgAdvanced dialog(inputs_, *prompts_, this);
    dialog.exec();
    ShowState();
}

void LRecordDlg::CmStop() {
    if (Active()) {
        recorder_.Stop();
    } else {
        LPlayerBaseDlg::CmStop();
    }
}

void LRecordDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && Active()) {
        recorder_.Stop();
        event->accept();
        return;
    }
    LPlayerBaseDlg::keyPressEvent(event);
}

void LRecordDlg::EvRecording(std::uint32_t) {
    ShowState();
}

void LRecordDlg::EvWaiting(std::uint32_t) {
    ShowState();
}

void LRecordDlg::EvStop(std::uint32_t) {
    if (take_) {
        // A take that failed keeps the segments finished before the failure.
        take_->Finish();
        recording_.Insert(recording_.GetLength(), take_->Kept());
        take_.Reset();
    }
    Meter()->Reset();
    ShowSound();
    ShowState();
    // Sound the device lost because the machine or the disk fell behind left gaps: said once the
    // take ends, with its failure if it failed.
    const int overruns = recorder_.Overruns();
    const std::string gaps =
        overruns == 0
            ? ""
            : "Se perdió sonido " + std::to_string(overruns) + (overruns == 1 ? " vez" : " veces") +
                  " porque el equipo o el disco se retrasaron: la grabación tiene huecos.";
    if (const std::string why = recorder_.ErrorText(); !why.empty()) {
        std::string text = "La grabación se detuvo: " + why;
        if (recording_.GetLength() > 0) {
            text += "\nLo grabado hasta entonces (" +
                    TimeText(MillisecondsFromFrames(recording_.GetLength(),
                                                    recording_.GetSampleRate())) +
                    ") se conserva.";
        }
        text += gaps.empty() ? "" : "\n" + gaps;
        prompts_->Ask({"Error", text, PromptIcon::kError, PromptButtons::kOk});
    } else if (!gaps.empty()) {
        prompts_->Ask({"Sonvara", gaps, PromptIcon::kWarning, PromptButtons::kOk});
    }
}

void LRecordDlg::EvPosition(std::uint32_t, std::int32_t milliseconds) {
    ShowRecorded(milliseconds);
}

void LRecordDlg::EvLevels(std::uint32_t, const SoundLevels& levels) {
    Meter()->SetLevels(levels);
    if (recorder_.GetState() == LSoundRecorder::kRecording) {
        live_->Add(levels);
    }
}

void LRecordDlg::ShowSound() {
    LCutListAudio shown = sound_;
    shown.Replace(place_.start, place_.end, recording_);
    SetSound(shown, place_.start + recording_.GetLength());
    ShowRecorded(0);
}

void LRecordDlg::ShowState() {
    const LSoundRecorder::State state = recorder_.GetState();
    state_->setText(kStateTexts[state == LSoundRecorder::kRecording ? 0
                                : state == LSoundRecorder::kWaiting ? 1
                                                                    : 2]);
    // Red while sound is written, as the record button of any recorder.
    state_->setStyleSheet(state == LSoundRecorder::kRecording ? "color: #d02020;" : "");
    const std::vector<std::string> names = inputs_.DeviceNames();
    const int device = RecorderSettings::Read(inputs_).device;
    input_->setText(
        QString::fromStdString("Entrada: " + (device >= 0 && device < static_cast<int>(names.size())
                                                  ? names[static_cast<std::size_t>(device)]
                                                  : std::string("predeterminada"))));
    const bool active = state != LSoundRecorder::kStopped;
    // While a take is recorded its trail stands where the sound is shown.
    live_->setVisible(active);
    Wave()->setVisible(!active);
    record_->setText(active ? kStopRecordText : "Grabar (F8)");
    retake_->setEnabled(active);
}

void LRecordDlg::ShowRecorded(std::int32_t take_ms) {
    const std::int32_t kept =
        MillisecondsFromFrames(recording_.GetLength(), recording_.GetSampleRate());
    recorded_->setText(QString::fromStdString("Grabado: " + TimeText(kept + take_ms)));
    // The big time runs with the recording: where in the file the sound goes in now.
    ShowTime(MillisecondsFromFrames(place_.start, sound_.GetSampleRate()) + kept + take_ms);
}

}  // namespace sonvara
