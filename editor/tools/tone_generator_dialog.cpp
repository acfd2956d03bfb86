#include "editor/tools/tone_generator_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "core/settings.h"
#include "editor/common/dialog_parts.h"

namespace sonvara {

namespace {

constexpr const char* kSection = "ToneGenerator";

// In the order of ToneShape.
constexpr const char* kShapeNames[] = {"Senoidal",   "Cuadrada",     "Diente de sierra",
                                       "Tonos DTMF", "Ruido blanco", "Ruido rosa"};

ToneParameters ReadParameters() {
    const ToneParameters defaults;
    ToneParameters stored;
    const int shape = ReadInt(kSection, "Shape", static_cast<int>(defaults.shape));
    stored.shape = shape >= 0 && shape <= static_cast<int>(ToneShape::kPinkNoise)
                       ? static_cast<ToneShape>(shape)
                       : defaults.shape;
    stored.frequency = ReadInt(kSection, "Frequency", defaults.frequency);
    stored.digits = ReadString(kSection, "Digits", defaults.digits);
    stored.sample_rate = ReadInt(kSection, "SampleRate", defaults.sample_rate);
    stored.channels = ReadInt(kSection, "Channels", defaults.channels);
    stored.milliseconds = ReadInt(kSection, "Milliseconds", defaults.milliseconds);
    stored.level_db = ReadInt(kSection, "LevelDB", defaults.level_db);
    return stored;
}

}  // namespace

LToneGeneratorDlg::LToneGeneratorDlg(Prompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts), parameters_(ReadParameters()) {
    setObjectName("LToneGeneratorDlg");
    setWindowTitle("Generador de Tonos");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;

    shape_ = new QComboBox(this);
    shape_->setObjectName("shape");
    for (const char* name : kShapeNames) {
        shape_->addItem(QString::fromUtf8(name));
    }
    shape_->setCurrentIndex(static_cast<int>(parameters_.shape));
    form->addRow("Forma de onda:", shape_);
    frequency_ = MakeNumberField(*this, "frequency", parameters_.frequency);
    form->addRow("Frecuencia (Hz):", frequency_);
    digits_ = new QLineEdit(QString::fromStdString(parameters_.digits), this);
    digits_->setObjectName("digits");
    form->addRow("Dígitos (0-9, *, #, A-D):", digits_);
    milliseconds_ = MakeNumberField(*this, "milliseconds", parameters_.milliseconds);
    form->addRow("Duración (ms):", milliseconds_);
    level_ = MakeNumberField(*this, "level", parameters_.level_db);
    form->addRow("Nivel de pico (dB):", level_);
    rate_ = MakeRateField(*this, parameters_.sample_rate);
    form->addRow("Tasa de muestra:", rate_);
    channels_ = new QComboBox(this);
    channels_->setObjectName("channels");
    channels_->addItems({"Mono", QString::fromUtf8("Estéreo")});
    channels_->setCurrentIndex(parameters_.channels == 2 ? 1 : 0);
    form->addRow("Canales:", channels_);
    layout->addLayout(form);
    AddOkCancelButtons(*this, *layout);

    connect(shape_, &QComboBox::currentIndexChanged, this, &LToneGeneratorDlg::EnableFields);
    EnableFields();
}

void LToneGeneratorDlg::EnableFields() {
    const auto shape = static_cast<ToneShape>(shape_->currentIndex());
    const bool tone =
        shape == ToneShape::kSine || shape == ToneShape::kSquare || shape == ToneShape::kSawtooth;
    frequency_->setEnabled(tone);
    digits_->setEnabled(shape == ToneShape::kDtmf);
    milliseconds_->setEnabled(shape != ToneShape::kDtmf);
}

void LToneGeneratorDlg::accept() {
    ToneParameters parameters = parameters_;
    parameters.shape = static_cast<ToneShape>(shape_->currentIndex());
    parameters.digits = digits_->text().trimmed().toUpper().toStdString();
    parameters.channels = channels_->currentIndex() == 1 ? 2 : 1;
    const std::optional<int> rate = CheckedRate(*rate_, prompts_);
    if (!rate) {
        return;
    }
    parameters.sample_rate = *rate;
    // Only the fields in use are read: a disabled one may hold anything.
    for (const auto& [field, value] : {std::pair{frequency_, &parameters.frequency},
                                       std::pair{milliseconds_, &parameters.milliseconds},
                                       std::pair{level_, &parameters.level_db}}) {
        if (!field->isEnabled()) {
            continue;
        }
        const std::optional<int> number = NumberIn(*field, prompts_);
        if (!number) {
            return;
        }
        *value = *number;
    }
    if (!PassesCheck(Check(parameters), prompts_)) {
        return;
    }
    parameters_ = parameters;
    // A value that cannot be stored is only not offered next time.
    WriteInt(kSection, "Shape", static_cast<int>(parameters_.shape));
    WriteInt(kSection, "Frequency", parameters_.frequency);
    WriteString(kSection, "Digits", parameters_.digits);
    WriteInt(kSection, "SampleRate", parameters_.sample_rate);
    WriteInt(kSection, "Channels", parameters_.channels);
    WriteInt(kSection, "Milliseconds", parameters_.milliseconds);
    WriteInt(kSection, "LevelDB", parameters_.level_db);
    QDialog::accept();
}

}  // namespace sonvara
