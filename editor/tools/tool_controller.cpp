#include "editor/tools/tool_controller.h"

#include <QTimer>
#include <QWidget>

#include "editor/batch/batch_commands.h"
#include "editor/common/key_value.h"
#include "editor/common/workspace.h"
#include "editor/options/options_command.h"
#include "editor/transport/transport_controller.h"

namespace sonvara {

ToolController::ToolController(EditorWorkspace& workspace, TransportController& transport,
                               FileController& files)
    : workspace_(workspace),
      transport_(transport),
      files_(files),
      manual_opener_([this](const std::string& message) {
          workspace_.CurrentPrompts().Ask(
              {"Error", message, PromptIcon::kWarning, PromptButtons::kOk});
      }) {
    LoadMacros();
}

void ToolController::LoadMacros() {
    KeysFileRead read = ReadKeysFile(KeysFilePath());
    macros_ = std::move(read.macros);
    if (read.state == KeysFileState::kWrongVersion) {
        // Said once the frame is up; the editor goes on without macros.
        QTimer::singleShot(0, workspace_.Frame(), [this] {
            workspace_.CurrentPrompts().Ask({kKeysFileErrorCaption, kKeysFileVersionMessage,
                                             PromptIcon::kWarning, PromptButtons::kOk});
        });
    }
}

void ToolController::CmBatchConverter() {
    RunBatchConverter(workspace_);
}

void ToolController::CmOptions() {
    if (!RunOptionsSheet(workspace_, transport_.Outputs(), macros_)) {
        return;
    }
    // Whatever the answer: the files' close checks may still keep the frame open for a file to be
    // saved.
    workspace_.CurrentPrompts().Ask(
        {"Se requiere que desconecte",
         "Sonvara se cerrará ahora debido a que Usted cambió la carpeta de audio.\n\n"
         "Por favor, reactive Sonvara para comenzar con nuevas carpetas.",
         PromptIcon::kQuestion, PromptButtons::kOkCancel});
    workspace_.Frame()->close();
}

}  // namespace sonvara
