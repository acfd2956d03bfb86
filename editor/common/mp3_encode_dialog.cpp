#include "editor/common/mp3_encode_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cstdlib>
#include <iterator>

#include "editor/common/dialog_parts.h"

namespace sonvara {
namespace {

// A combo of the offered bit rates (each item's data is its rate) showing the one nearest `rate`.
QComboBox* BitRateCombo(const char* name, int rate, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    int nearest = 0;
    for (int i = 0; i < static_cast<int>(std::size(kMp3BitRates)); ++i) {
        combo->addItem(QString::number(kMp3BitRates[i]), kMp3BitRates[i]);
        if (std::abs(kMp3BitRates[i] - rate) < std::abs(kMp3BitRates[nearest] - rate)) {
            nearest = i;
        }
    }
    combo->setCurrentIndex(nearest);
    return combo;
}

std::uint16_t BitRateOf(const QComboBox* combo) {
    return static_cast<std::uint16_t>(combo->currentData().toInt());
}

}  // namespace

LMp3EncodeDlg::LMp3EncodeDlg(Prompts& prompts, const Mp3EncoderSettings& settings, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
    setObjectName("LMP3ENCODEDLG");
    setWindowTitle("Opciones para el Codificador Mp3");
    auto* layout = new QVBoxLayout(this);

    auto* constant_box = new QGroupBox(this);
    auto* constant_form = new QFormLayout(constant_box);
    constant_ = new QRadioButton("Tasa de bits constante (CBR)", constant_box);
    constant_->setObjectName("constantBitRate");
    cbr_rate_ = BitRateCombo("cbrBitRate", settings.cbr_bit_rate, constant_box);
    high_quality_ = new QCheckBox("Alta calidad", constant_box);
    high_quality_->setObjectName("highQuality");
    high_quality_->setChecked(settings.high_quality);
    constant_form->addRow(constant_);
    constant_form->addRow("Tasa de bits (kbit/s):", cbr_rate_);
    constant_form->addRow(high_quality_);
    layout->addWidget(constant_box);

    auto* variable_box = new QGroupBox(this);
    auto* variable_form = new QFormLayout(variable_box);
    variable_ = new QRadioButton("Tasa de bits variable (VBR)", variable_box);
    variable_->setObjectName("variableBitRate");
    vbr_min_ = BitRateCombo("vbrMinBitRate", settings.vbr_min_bit_rate, variable_box);
    vbr_max_ = BitRateCombo("vbrMaxBitRate", settings.vbr_max_bit_rate, variable_box);
    vbr_quality_ = new QSpinBox(variable_box);
    vbr_quality_->setObjectName("vbrQuality");
    vbr_quality_->setRange(0, 9);
    vbr_quality_->setValue(settings.vbr_quality);
    variable_form->addRow(variable_);
    variable_form->addRow("Tasa mínima (kbit/s):", vbr_min_);
    variable_form->addRow("Tasa máxima (kbit/s):", vbr_max_);
    variable_form->addRow("Calidad (0 la mejor, 9 la más rápida):", vbr_quality_);
    layout->addWidget(variable_box);

    // The two radio buttons sit in different boxes: a group makes them exclusive.
    auto* mode = new QButtonGroup(this);
    mode->addButton(constant_);
    mode->addButton(variable_);
    constant_->setChecked(settings.constant_bit_rate);
    variable_->setChecked(!settings.constant_bit_rate);
    connect(constant_, &QRadioButton::toggled, this, &LMp3EncodeDlg::EnableForMode);

    auto* common = new QFormLayout();
    error_protection_ = new QCheckBox("Protección de errores (CRC)", this);
    error_protection_->setObjectName("errorProtection");
    error_protection_->setChecked(settings.error_protection);
    channel_mode_ = new QComboBox(this);
    channel_mode_->setObjectName("channelMode");
    channel_mode_->addItems({"Estéreo", "Estéreo conjunto", "Estéreo forzado", "Mono"});
    channel_mode_->setCurrentIndex(settings.channel_mode <= 3 ? settings.channel_mode : 1);
    common->addRow(error_protection_);
    common->addRow("Modo de canales:", channel_mode_);
    layout->addLayout(common);

    AddOkCancelButtons(*this, *layout);
    EnableForMode();
}

void LMp3EncodeDlg::EnableForMode() {
    const bool constant = constant_->isChecked();
    cbr_rate_->setEnabled(constant);
    high_quality_->setEnabled(constant);
    vbr_min_->setEnabled(!constant);
    vbr_max_->setEnabled(!constant);
    vbr_quality_->setEnabled(!constant);
}

Mp3EncoderSettings LMp3EncodeDlg::Settings() const {
    Mp3EncoderSettings settings;
    settings.constant_bit_rate = constant_->isChecked();
    settings.cbr_bit_rate = BitRateOf(cbr_rate_);
    settings.high_quality = high_quality_->isChecked();
    settings.vbr_min_bit_rate = BitRateOf(vbr_min_);
    settings.vbr_max_bit_rate = BitRateOf(vbr_max_);
    settings.vbr_quality = static_cast<std::uint8_t>(vbr_quality_->value());
    settings.error_protection = error_protection_->isChecked();
    settings.channel_mode = static_cast<std::uint8_t>(channel_mode_->currentIndex());
    return settings;
}

void LMp3EncodeDlg::accept() {
    // A variable rate whose lowest is above its highest is no range to encode in. With a constant
    // bit rate the variable rates are not used (nor editable), so they are left as they are.
    const Mp3EncoderSettings settings = Settings();
    if (!settings.constant_bit_rate && settings.vbr_min_bit_rate > settings.vbr_max_bit_rate) {
        prompts_.Ask({"Valor no válido",
                      "La tasa de bits mínima no puede ser mayor que la tasa de bits máxima.",
                      PromptIcon::kError, PromptButtons::kOk});
        return;
    }
    QDialog::accept();
}

}  // namespace sonvara
