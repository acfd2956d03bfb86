// Recovery at start: the files an editor that died had not saved, and the recording it was
// making, come back as modified untitled files.

#include <string>

#include "core/prompts.h"
#include "document/crash_recovery.h"
#include "editor/common/workspace.h"
#include "editor/files/file_controller.h"

namespace sonvara {

void FileController::RecoverUnsavedFiles() {
    LCrashRecovery recovery = RecoverDocuments();
    std::string names;
    bool incomplete = false;
    for (LRecoveredDocument& document : recovery.documents) {
        names += "\n    " + document.name;
        incomplete |= document.incomplete;
        // Each window keeps a recovery file of its own from here on.
        workspace_.OpenAsNewFile(std::move(document.audio));
    }
    FinishRecovery(recovery);
    if (recovery.documents.empty() && recovery.unreadable_files.empty()) {
        return;
    }
    std::string text = "Sonvara no se cerró correctamente la última vez.";
    if (!recovery.documents.empty()) {
        text += " Se recuperaron estos archivos sin guardar, que se abren como archivos nuevos:" +
                names;
    }
    if (incomplete) {
        text += "\n\nParte del sonido no se encontró y se sustituyó por silencio.";
    }
    if (!recovery.unreadable_files.empty()) {
        text += "\n\nNo se pudieron leer " + std::to_string(recovery.unreadable_files.size()) +
                " archivos de recuperación. Se conservan, con el sonido de la sesión anterior, "
                "en la carpeta de trabajo \"" +
                CutTank().Folder() + "\".";
    }
    workspace_.CurrentPrompts().Ask(
        {"Archivos recuperados", text,
         recovery.unreadable_files.empty() ? PromptIcon::kInformation : PromptIcon::kWarning,
         PromptButtons::kOk});
}

}  // namespace sonvara
