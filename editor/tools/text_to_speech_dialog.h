#pragma once
// LTextToSpeechDlg ("Texto a Palabras"): the text to read aloud, the voice and the speaking rate.
// The voice and the rate start from the last ones ("TextToSpeechVoice", "TextToSpeechRate" in
// "StoredValues") and are stored back on OK; an empty text is refused with a message and the
// dialog stays open. Return in the text starts a new line; Ctrl+Return is OK.

#include <QDialog>

#include "core/prompts.h"
#include "editor_model/text_to_speech.h"

class QComboBox;
class QPlainTextEdit;
class QSpinBox;

namespace sonvara {

class LTextToSpeechDlg : public QDialog {
    Q_OBJECT

  public:
    LTextToSpeechDlg(Prompts& prompts, QWidget* parent);

    // What to read, as accepted.
    const SpeechRequest& Request() const { return request_; }

    QPlainTextEdit* TextField() const { return text_; }
    QComboBox* VoiceField() const { return voice_; }
    QSpinBox* RateField() const { return rate_; }

  public slots:
    void accept() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Prompts& prompts_;
    QPlainTextEdit* text_;
    QComboBox* voice_;
    QSpinBox* rate_;
    SpeechRequest request_;
};

}  // namespace sonvara
