// The help menu: the user manual in the desktop's browser, and the about box.

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "core/component_lookup.h"
#include "editor/common/workspace.h"
#include "editor/tools/about_dialog.h"
#include "editor/tools/tool_controller.h"
#include "editor/tools/user_manual.h"

namespace sonvara {

QString FindUserManual(const QString& program_folder) {
    if (!program_folder.isEmpty()) {
        for (const char* relative :
             {SONVARA_MANUAL_FROM_PROGRAM, SONVARA_MANUAL_FROM_BUILT_PROGRAM}) {
            const QFileInfo beside(
                QDir(program_folder).filePath(QString(relative) + "/index.html"));
            if (beside.isFile()) {
                return beside.canonicalFilePath();
            }
        }
    }
    return QStandardPaths::locate(QStandardPaths::GenericDataLocation, "sonvara/manual/index.html");
}

void ToolController::CmHelp() {
    const QString manual = FindUserManual(QString::fromStdString(RunningProgramFolder()));
    if (manual.isEmpty()) {
        workspace_.CurrentPrompts().Ask(
            {"Error",
             "No se encuentra el manual de Sonvara (sonvara/manual/index.html). "
             "Vuelva a instalar el programa.",
             PromptIcon::kWarning, PromptButtons::kOk});
        return;
    }
    manual_opener_.Open(manual);
}

void ToolController::CmAbout() {
    LAboutDlg dialog(workspace_.Frame());
    dialog.exec();
}

}  // namespace sonvara
