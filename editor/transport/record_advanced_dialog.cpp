#include "editor/transport/record_advanced_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <algorithm>

#include "core/settings.h"
#include "devices/input_choice.h"
#include "devices/wave_in.h"
#include "editor/common/dialog_parts.h"
#include "view/db_edit.h"

namespace sonvara {
namespace {

constexpr const char* kSection = "Recorder";
constexpr int kTopVolume = 12;
// The desktop's mixer, opened on its recording page.
constexpr const char* kMixerProgram = "pavucontrol";
constexpr const char* kMixerRecordingTab = "--tab=2";

std::vector<std::string> InputNames(WaveInProvider& inputs) {
    std::vector<std::string> names = inputs.DeviceNames();
    names.resize(std::min<std::size_t>(names.size(), LRecordDlgAdvanced::kMaxDevices));
    return names;
}

}  // namespace

RecorderSettings RecorderSettings::Read(WaveInProvider& inputs) {
    RecorderSettings settings;
    settings.device = ChosenInputDevice(inputs);
    settings.line = ReadInt(kSection, "Channel", -1);
    settings.volume_db = std::clamp(ReadInt(kSection, "Volume", 0), LDBEdit::kSilence, kTopVolume);
    settings.autotrim = ReadBool(kSection, "Autotrim", true);
    settings.vor = ReadBool(kSection, "Vor", false);
    settings.threshold_db =
        std::clamp(ReadInt(kSection, "Threshold", -24), LRecordDlgAdvanced::kLowThreshold,
                   LRecordDlgAdvanced::kHighThreshold);
    settings.max_seconds =
        std::clamp(ReadInt(kSection, "MaxTime", 0), 0, LRecordDlgAdvanced::kMaxSeconds);
    return settings;
}

LRecordDlgAdvanced::LRecordDlgAdvanced(WaveInProvider& inputs, Prompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts), mixer_(InputNames(inputs)) {
    setObjectName("LRecordDlgAdvanced");
    setWindowTitle("Opciones de Grabación");
    const RecorderSettings stored = RecorderSettings::Read(inputs);

    auto* source = new QGroupBox("Entrada", this);
    auto* source_form = new QFormLayout(source);
    devices_ = new QComboBox(source);
    devices_->setObjectName("inputDevices");
    for (const std::string& name : InputNames(inputs)) {
        devices_->addItem(QString::fromStdString(name));
    }
    devices_->setCurrentIndex(std::clamp(stored.device, 0, std::max(devices_->count() - 1, 0)));
    source_form->addRow("&Dispositivo:", devices_);
    lines_ = new QComboBox(source);
    lines_->setObjectName("inputLines");
    source_form->addRow("&Línea de entrada:", lines_);
    volume_ = new LDBEdit(source);
    volume_->setObjectName("recordVolume");
    volume_->SetRange(LDBEdit::kSilence, kTopVolume);
    volume_->SetValue(stored.volume_db);
    volume_->setMaximumWidth(volume_->fontMetrics().horizontalAdvance("-127dB") * 2);
    system_mixer_ = new QPushButton("Abrir el &mezclador del sistema...", source);
    system_mixer_->setObjectName("systemMixer");
    system_mixer_->setAutoDefault(false);
    connect(system_mixer_, &QPushButton::clicked, this, &LRecordDlgAdvanced::StartSystemMixer);
    auto* volume_row = new QHBoxLayout;
    volume_row->addWidget(volume_);
    volume_row->addWidget(system_mixer_);
    volume_row->addStretch();
    volume_label_ = new QLabel("&Volumen de grabación:", source);
    volume_label_->setBuddy(volume_);
    source_form->addRow(volume_label_, volume_row);

    auto* trim = new QGroupBox("Silencio", this);
    auto* trim_form = new QFormLayout(trim);
    autotrim_ = new QCheckBox("&Recortar el silencio al principio y al final", trim);
    autotrim_->setObjectName("autotrim");
    autotrim_->setChecked(stored.autotrim);
    trim_form->addRow(autotrim_);
    vor_ = new QCheckBox("&Pausar durante los silencios (activado por voz)", trim);
    vor_->setObjectName("vor");
    vor_->setChecked(stored.vor);
    trim_form->addRow(vor_);
    threshold_ = new LDBEdit(trim);
    threshold_->setObjectName("threshold");
    threshold_->SetRange(kLowThreshold, kHighThreshold);
    threshold_->SetValue(stored.threshold_db);
    threshold_->setMaximumWidth(volume_->maximumWidth());
    threshold_label_ = new QLabel("&Umbral del silencio:", trim);
    threshold_label_->setBuddy(threshold_);
    trim_form->addRow(threshold_label_, threshold_);

    max_time_ = new QSpinBox(this);
    max_time_->setObjectName("maxTime");
    max_time_->setRange(0, kMaxSeconds);
    max_time_->setSpecialValueText("Sin límite");
    max_time_->setSuffix(" s");
    max_time_->setValue(stored.max_seconds);
    auto* limits = new QFormLayout;
    limits->addRow("Tiempo &máximo de una toma:", max_time_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(source);
    layout->addWidget(trim);
    layout->addLayout(limits);
    AddOkCancelButtons(*this, *layout);

    FillLines(true);
    FollowAutotrim();
    connect(devices_, &QComboBox::currentIndexChanged, this, [this] { FillLines(false); });
    connect(autotrim_, &QCheckBox::toggled, this, &LRecordDlgAdvanced::FollowAutotrim);
}

void LRecordDlgAdvanced::FillLines(bool keep) {
    const int device = devices_->count() > 0 ? devices_->currentIndex() : -1;
    const int count = mixer_.GetInputChannelCount(device);
    const int previous = keep ? ReadInt(kSection, "Channel", -1) + 1 : lines_->currentIndex();
    lines_->clear();
    for (int line = -1; line < count; ++line) {
        std::string name = line < 0 ? "Mezclador de Grabación" : "Línea " + std::to_string(line);
        mixer_.GetInputChannelName(device, line, name);
        lines_->addItem(QString::fromStdString(name));
    }
    lines_->setCurrentIndex(previous >= 0 && previous < lines_->count() ? previous : 0);
    // Without lines there is no record volume to set here: the desktop's mixer sets it.
    volume_->setVisible(count > 0);
    system_mixer_->setVisible(count == 0);
    const bool mixer_found = !QStandardPaths::findExecutable(kMixerProgram).isEmpty();
    system_mixer_->setEnabled(mixer_found);
    system_mixer_->setToolTip(
        mixer_found ? QString()
                    : QString("No se encontró el mezclador del sistema (%1).").arg(kMixerProgram));
    volume_label_->setBuddy(count > 0 ? static_cast<QWidget*>(volume_) : system_mixer_);
}

void LRecordDlgAdvanced::FollowAutotrim() {
    const bool on = autotrim_->isChecked();
    vor_->setEnabled(on);
    threshold_->setEnabled(on);
    threshold_label_->setEnabled(on);
}

void LRecordDlgAdvanced::StartSystemMixer() {
    QProcess::startDetached(QStandardPaths::findExecutable(kMixerProgram), {kMixerRecordingTab});
}

void LRecordDlgAdvanced::accept() {
    const int device = devices_->count() > 0 ? devices_->currentIndex() : 0;
    const std::string name =
        devices_->count() > 0 ? devices_->currentText().toStdString() : std::string();
    const bool stored = WriteInt(kSection, "Device", device) &&
                        WriteString(kSection, "DeviceName", name) &&
                        WriteInt(kSection, "Channel", lines_->currentIndex() - 1) &&
                        WriteInt(kSection, "Volume", volume_->Value()) &&
                        WriteBool(kSection, "Autotrim", autotrim_->isChecked()) &&
                        WriteBool(kSection, "Vor", vor_->isChecked()) &&
                        WriteInt(kSection, "Threshold", threshold_->Value()) &&
                        WriteInt(kSection, "MaxTime", max_time_->value());
    if (!stored) {
        prompts_.Ask({"Error",
                      "No se pudieron guardar las opciones de grabación en el archivo de "
                      "configuración.",
                      PromptIcon::kError, PromptButtons::kOk});
        return;
    }
    QDialog::accept();
}

}  // namespace sonvara
