#include "editor/options/audio_process_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <string>

#include "core/folders.h"
#include "core/settings.h"
#include "devices/input_choice.h"
#include "devices/output_choice.h"
#include "devices/wave_in.h"
#include "devices/wave_out.h"
#include "editor/common/dialog_parts.h"
#include "editor/common/settings_writes.h"
#include "effects/effect_parameters.h"
#include "view/db_edit.h"

namespace sonvara {
namespace {

QComboBox* MakeDeviceList(const char* name, QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return list;
}

// `list` showing `names` with device `chosen` selected (the first when it is out of the list).
void ShowDevices(QComboBox& list, const std::vector<std::string>& names, int chosen) {
    list.clear();
    for (const std::string& name : names) {
        list.addItem(QString::fromStdString(name));
    }
    list.setCurrentIndex(chosen >= 0 && chosen < list.count() ? chosen : 0);
}

}  // namespace

LAudioProcessPage::LAudioProcessPage(WaveOutProvider& outputs, WaveInProvider& inputs,
                                     Prompts& prompts, QWidget* parent)
    : QWidget(parent), outputs_(outputs), inputs_(inputs), prompts_(prompts) {
    setObjectName("LAudioProcessPage");
    auto* layout = new QVBoxLayout(this);

    auto* devices = new QGroupBox("Recursos de Sonido", this);
    auto* device_form = new QFormLayout(devices);
    output_ = MakeDeviceList("SoundOutDevice", devices);
    input_ = MakeDeviceList("RecorderDevice", devices);
    device_form->addRow("Recurso de Ejecución de Sonido:", output_);
    device_form->addRow("Recurso de Grabación de Sonido:", input_);
    layout->addWidget(devices);

    auto* editing = new QGroupBox("Edición", this);
    auto* editing_layout = new QVBoxLayout(editing);
    auto_play_ = new QCheckBox("Playback Automático luego de la Edición o Efectos", editing);
    auto_play_->setObjectName("AutoPlaybackAfterEffects");
    editing_layout->addWidget(auto_play_);
    auto* threshold_row = new QHBoxLayout;
    threshold_ = new LDBEdit(editing);
    threshold_->setObjectName("AutoTrimThreshold");
    threshold_->SetRange(kLowestThreshold, kHighestThreshold);
    // Room for the widest value the box shows, as its text needs on this screen.
    threshold_->setMaximumWidth(threshold_->fontMetrics().horizontalAdvance("-127dB") * 2);
    threshold_row->addWidget(
        new QLabel("Umbral para el Autorecorte (AutoTrim Threshold)", editing));
    threshold_row->addWidget(threshold_);
    threshold_row->addStretch(1);
    editing_layout->addLayout(threshold_row);
    layout->addWidget(editing);

    auto* folder_box = new QGroupBox("Carpeta del Audio", this);
    auto* folder_layout = new QVBoxLayout(folder_box);
    auto* folder_row = new QHBoxLayout;
    folder_ = new QLineEdit(folder_box);
    folder_->setObjectName("WorkingFolder");
    folder_->setMinimumWidth(folder_->fontMetrics().averageCharWidth() * 56);
    auto* browse = new QToolButton(folder_box);
    browse->setText("...");
    browse->setObjectName("BrowseWorkingFolder");
    folder_row->addWidget(folder_, 1);
    folder_row->addWidget(browse);
    folder_layout->addLayout(folder_row);
    auto* note = new QLabel(
        "Al cambiar la carpeta, Sonvara se cerrará; ábralo de nuevo para trabajar en ella.",
        folder_box);
    note->setWordWrap(true);
    folder_layout->addWidget(note);
    layout->addWidget(folder_box);
    layout->addStretch(1);

    connect(browse, &QToolButton::clicked, this, &LAudioProcessPage::CmSetAudioWorkingFolder);
}

void LAudioProcessPage::InitDialog() {
    // Chosen first: a device named in the settings that the list lacks is added to it.
    const int output = ChosenOutputDevice(outputs_);
    ShowDevices(*output_, outputs_.DeviceNames(), output);
    const int input = ChosenInputDevice(inputs_);
    ShowDevices(*input_, inputs_.DeviceNames(), input);
    auto_play_->setChecked(ReadBool("Settings", "AutoPlaybackAfterEffects", true));
    threshold_->SetValue(std::clamp(ReadStoredValue(kAutoTrimThreshold), -127, 127));
    folder_->setText(QString::fromStdString(GetWorkingFolder()));
}

void LAudioProcessPage::CmSetAudioWorkingFolder() {
    const QString folder =
        QFileDialog::getExistingDirectory(this, "Locate folder:", folder_->text());
    if (!folder.isEmpty()) {
        folder_->setText(folder);
    }
}

bool LAudioProcessPage::CmOk() {
    const std::string folder = folder_->text().toStdString();
    if (!PassesCheck(folder.empty() ? "Escriba la carpeta del audio." : "", prompts_)) {
        folder_->setFocus();
        return false;
    }
    // The name wins over the number when both are stored: both follow the choice.
    SettingsWrites settings("Settings");
    settings.Int("SoundOutDevice", output_->currentIndex());
    settings.String("SoundOutDeviceName", output_->currentText().toStdString());
    settings.Bool("AutoPlaybackAfterEffects", auto_play_->isChecked());
    settings.Int(kAutoTrimThreshold.name, threshold_->Value());
    const bool changed = folder != GetWorkingFolder();
    if (changed) {
        settings.String("WorkingFolder", folder);
    }
    if (!settings.Report(prompts_)) {
        return false;
    }
    SettingsWrites recorder("Recorder");
    recorder.Int("Device", input_->currentIndex());
    recorder.String("DeviceName", input_->currentText().toStdString());
    if (!recorder.Report(prompts_)) {
        return false;
    }
    folder_changed_ = folder_changed_ || changed;
    return true;
}

}  // namespace sonvara
