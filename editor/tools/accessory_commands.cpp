// The accessories: "Texto a Palabras" reads a text aloud into a new file through the speech
// synthesizer, and "Enviar..." hands the current file to the desktop's mail program.

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <chrono>

#include "core/folders.h"
#include "editor/common/file_window.h"
#include "editor/common/workspace.h"
#include "editor/files/file_controller.h"
#include "editor/tools/text_to_speech_dialog.h"
#include "editor/tools/tool_controller.h"
#include "editor_model/text_to_speech.h"

namespace sonvara {
namespace {

// Long enough for a book; the synthesizer reads many times faster than it speaks.
constexpr std::chrono::minutes kSpeechTimeout(10);

// The desktop's program that opens a new mail with files attached (freedesktop's xdg-utils).
constexpr char kMailProgram[] = "xdg-email";

}  // namespace

void ToolController::CmTextToSpeech() {
    // Said before the user writes a text that could not be read.
    const std::optional<std::string> synthesizer = FindSpeechSynthesizer();
    if (!synthesizer) {
        workspace_.CurrentPrompts().Ask(
            {"Error", SpeechSynthesizerMissingMessage(), PromptIcon::kWarning, PromptButtons::kOk});
        return;
    }
    LTextToSpeechDlg dialog(workspace_.CurrentPrompts(), workspace_.Frame());
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    // The speech is read into cut files as it loads; its WAV file goes with the folder.
    QTemporaryDir folder(
        QDir(QString::fromStdString(TemporaryFolder())).filePath("sonvara-speech-XXXXXX"));
    if (!folder.isValid()) {
        workspace_.CurrentPrompts().Ask(
            {"Error", "No se puede crear una carpeta temporal en \"" + TemporaryFolder() + "\".",
             PromptIcon::kWarning, PromptButtons::kOk});
        return;
    }
    const std::string wav = folder.filePath("speech.wav").toStdString();
    LTextToSpeech speech(*synthesizer, dialog.Request(), wav, kSpeechTimeout);
    if (workspace_.RunProcess(speech) != PROCESS_DONE) {
        return;
    }
    files_.LoadFile(wav, false, true);
}

void ToolController::CmSend() {
    if (workspace_.CurrentFile() == nullptr) {
        return;
    }
    LSVFileWindow* file = workspace_.CurrentFile();
    // What is sent is the file as the user sees it: saved first, under a name when it has none.
    if ((file->IsModified() || file->Path().empty()) && !files_.CmSave()) {
        return;
    }
    if (file->IsModified() || file->Path().empty()) {
        return;
    }
    const QString mailer = QStandardPaths::findExecutable(kMailProgram);
    const QString path = QString::fromStdString(file->Path());
    // The mail program lives on after the editor, so it is not waited for.
    if (mailer.isEmpty() || !QProcess::startDetached(mailer, {"--attach", path})) {
        workspace_.CurrentPrompts().Ask(
            {"Error",
             std::string("No se puede abrir el programa de correo del escritorio: falta "
                         "el programa \"") +
                 kMailProgram + "\" (paquete xdg-utils). Adjunte el archivo \"" + file->Path() +
                 "\" desde su programa de correo.",
             PromptIcon::kWarning, PromptButtons::kOk});
    }
}

}  // namespace sonvara
