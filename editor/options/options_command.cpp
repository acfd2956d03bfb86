#include "editor/options/options_command.h"

#include <QCoreApplication>

#include "devices/system_inputs.h"
#include "editor/common/workspace.h"
#include "editor/options/options_sheet.h"

namespace sonvara {

bool RunOptionsSheet(EditorWorkspace& workspace, WaveOutProvider& outputs,
                     std::vector<LSVMacroKeys>& macros) {
    SystemWaveInProvider inputs;
    LOptionsSheet sheet({outputs, inputs, workspace.CurrentPrompts(),
                         QCoreApplication::applicationFilePath().toStdString(), macros},
                        workspace.Frame());
    return sheet.exec() == QDialog::Accepted && sheet.WorkingFolderChanged();
}

}  // namespace sonvara
