#pragma once
// The editor's side of the runtime the processes run against: the message loop is Qt's event
// loop on the GUI thread, the progress view a small modal dialog, and the prompts message boxes
// and the format and MP3 options dialogs. Interface thread only, except QtMessageLoop::Post.

#include <QDialog>
#include <QPointer>
#include <string>

#include "core/message_loop.h"
#include "core/progress_view.h"
#include "formats/format_prompts.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace sonvara {

// Post() queues the handler onto the GUI thread from any thread; PumpPending() lets Qt deliver
// what is pending (painting, input, timers, posted handlers).
class QtMessageLoop : public MessageLoop {
  public:
    explicit QtMessageLoop(QObject* context);
    void Post(std::function<void()> handler) override;
    void PumpPending() override;

  private:
    QPointer<QObject> context_;
};

// The "LProgressDialog" window: two lines of text, a bar from 0 to 100 and "Cancelar". While it
// is open the frame is disabled, so no second command can start; the dialog itself stays usable.
class QtProgressView : public ProgressView {
  public:
    explicit QtProgressView(QWidget* frame);
    ~QtProgressView() override;

    bool Open(const std::string& caption) override;
    void SetText(int line, const std::string& text) override;
    void SetPercent(int percent) override;
    bool CancelRequested() override { return cancel_; }
    void Close() override;

    // The open dialog, or null.
    QDialog* Dialog() const { return dialog_; }

  private:
    QPointer<QWidget> frame_;
    QPointer<QDialog> dialog_;
    QLabel* lines_[2] = {nullptr, nullptr};
    QProgressBar* bar_ = nullptr;
    bool cancel_ = false;
    bool frame_disabled_ = false;
};

// Message boxes with the asked caption, icon and buttons; the WAV format chooser over the codec
// manager's list, the raw-format dialog "Propiedades del Archivo", the MP3 options dialog and the
// options of the other compressed formats.
class QtPrompts : public FormatPrompts {
  public:
    explicit QtPrompts(QWidget* parent) : parent_(parent) {}

    PromptAnswer Ask(const PromptMessage& message) override;
    bool ChooseWaveFormat(FormatArea& format, const std::vector<FormatChoice>& choices,
                          const std::string& title) override;
    bool AskRawFileFormat(RawFileFormat& format) override;
    bool AskMp3EncoderSettings(Mp3EncoderSettings& settings) override;
    // "Opciones de FLAC", "Opciones de Ogg Vorbis", "Opciones de Opus": the one value each
    // format has.
    bool AskCompressionSettings(CompressedFormat format, CompressionSettings& settings) override;

  private:
    QPointer<QWidget> parent_;
};

}  // namespace sonvara
