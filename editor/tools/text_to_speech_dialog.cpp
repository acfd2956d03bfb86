#include "editor/tools/text_to_speech_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/settings.h"
#include "editor/common/dialog_parts.h"

namespace sonvara {
namespace {

struct Voice {
    const char* name;  // the synthesizer's
    const char* shown;
};
// The synthesizer's voices for the languages of Spain and those most asked for next to them.
constexpr Voice kVoices[] = {
    {"es", "Español (España)"}, {"es-419", "Español (Latinoamérica)"},
    {"ca", "Catalán"},          {"eu", "Euskera"},
    {"pt", "Portugués"},        {"pt-br", "Portugués (Brasil)"},
    {"en-us", "Inglés"},        {"fr-fr", "Francés"},
    {"de", "Alemán"},           {"it", "Italiano"},
};

constexpr char kVoiceStored[] = "TextToSpeechVoice";
constexpr char kRateStored[] = "TextToSpeechRate";

}  // namespace

LTextToSpeechDlg::LTextToSpeechDlg(Prompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
    setObjectName("LTextToSpeechDlg");
    setWindowTitle("Texto a Palabras");
    auto* layout = new QVBoxLayout(this);
    auto* prompt = new QLabel("Texto que se leerá en voz alta en un archivo nuevo:", this);
    layout->addWidget(prompt);
    text_ = new QPlainTextEdit(this);
    text_->setObjectName("text");
    // Room for a paragraph, in the font's own measure.
    const QFontMetrics metrics = text_->fontMetrics();
    text_->setMinimumSize(metrics.horizontalAdvance('x') * 60, metrics.lineSpacing() * 8);
    prompt->setBuddy(text_);
    text_->installEventFilter(this);
    layout->addWidget(text_, 1);

    auto* form = new QFormLayout;
    voice_ = new QComboBox(this);
    voice_->setObjectName("voice");
    for (const Voice& voice : kVoices) {
        voice_->addItem(QString::fromUtf8(voice.shown), QString::fromUtf8(voice.name));
    }
    // A voice set by hand in the settings is offered as it is.
    const QString stored = QString::fromStdString(ReadString("StoredValues", kVoiceStored, "es"));
    if (voice_->findData(stored) < 0) {
        voice_->addItem(stored, stored);
    }
    voice_->setCurrentIndex(voice_->findData(stored));
    form->addRow("&Voz:", voice_);
    rate_ = new QSpinBox(this);
    rate_->setObjectName("rate");
    rate_->setRange(kSlowestSpeech, kFastestSpeech);
    rate_->setValue(ReadInt("StoredValues", kRateStored, SpeechRequest{}.words_per_minute));
    form->addRow("V&elocidad (palabras por minuto):", rate_);
    layout->addLayout(form);
    AddOkCancelButtons(*this, *layout);
    text_->setFocus();
}

bool LTextToSpeechDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == text_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            key->modifiers().testFlag(Qt::ControlModifier)) {
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void LTextToSpeechDlg::accept() {
    SpeechRequest request;
    request.text = text_->toPlainText().toStdString();
    request.voice = voice_->currentData().toString().toStdString();
    request.words_per_minute = rate_->value();
    if (!PassesCheck(CheckSpeechRequest(request), prompts_)) {
        return;
    }
    request_ = std::move(request);
    // A value that cannot be stored is only not offered next time.
    WriteString("StoredValues", kVoiceStored, request_.voice);
    WriteInt("StoredValues", kRateStored, request_.words_per_minute);
    QDialog::accept();
}

}  // namespace sonvara
