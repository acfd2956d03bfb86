#include "editor/batch/batch_commands.h"

#include "batch/batch_command_list.h"
#include "batch/batch_converter.h"
#include "batch/batch_run_process.h"
#include "editor/batch/batch_command_dialog.h"
#include "editor/batch/batch_file_dialog.h"
#include "editor/batch/batch_format_dialog.h"
#include "editor/batch/batch_run_dialog.h"
#include "editor/common/file_window.h"
#include "editor/common/workspace.h"

namespace sonvara {

void RunBatchConverter(EditorWorkspace& workspace) {
    LSVFileWindow* file = workspace.CurrentFile();
    std::vector<std::string> files;
    LBatchCommandList commands;
    BatchOutputSettings output;
    enum class Page { kFiles, kCommands, kOutput, kRun } page = Page::kFiles;
    while (page != Page::kRun) {
        switch (page) {
            case Page::kFiles: {
                LSelectBatchFileDlg dialog(files, workspace.Frame());
                if (dialog.exec() != QDialog::Accepted) {
                    return;
                }
                files = dialog.Files();
                page = Page::kCommands;
                break;
            }
            case Page::kCommands: {
                LSelectBatchCommandDlg dialog(commands, workspace.CurrentPrompts(),
                                              workspace.Frame());
                const int answer = dialog.exec();
                if (answer == QDialog::Rejected) {
                    return;
                }
                page = answer == LSelectBatchCommandDlg::kBack ? Page::kFiles : Page::kOutput;
                break;
            }
            case Page::kOutput: {
                LSelectSaveFormatDlg dialog(workspace.CurrentPrompts(), workspace.Frame());
                const int answer = dialog.exec();
                if (answer == QDialog::Rejected) {
                    return;
                }
                output = dialog.Settings();
                if (answer == LSelectSaveFormatDlg::kBack) {
                    page = Page::kCommands;
                } else if (const Result<void> check = CheckBatchOutputs(files, output); !check) {
                    // Nothing is written: the user changes the output or the files.
                    workspace.CurrentPrompts().Ask({"Convertidor de Grupo", check.Message(),
                                                    PromptIcon::kWarning, PromptButtons::kOk});
                } else {
                    page = Page::kRun;
                }
                break;
            }
            case Page::kRun:
                break;
        }
    }
    LBatchRunDlg window(workspace.Frame());
    LBatchRun run(files, commands.Items(), output, &window);
    ProcessHost host{workspace.Loop(), window, workspace.CurrentPrompts()};
    const ProcessResult result = run.Run(host);
    window.ShowOutcome(run, result);
    window.exec();
    if (file != nullptr && workspace.IsOpen(file)) {
        workspace.Activate(file);
    }
}

}  // namespace sonvara
