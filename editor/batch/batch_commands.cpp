// The frame's batch converter command: three pages, the files, the command list and where the
// results go (each but the first can go back to the one before), then the run in its own window,
// which stays open with the outcome until the user closes it.

#include <algorithm>

#include "batch/batch_command_list.h"
#include "batch/batch_run_process.h"
#include "editor/batch/batch_command_dialog.h"
#include "editor/batch/batch_file_dialog.h"
#include "editor/batch/batch_format_dialog.h"
#include "editor/batch/batch_run_dialog.h"
#include "editor/common/file_window.h"
#include "editor/frame/main_window.h"

namespace sonvara {

void MainDialog::CmBatchConverter() {
    LSVFileWindow* file = current_;
    std::vector<std::string> files;
    LBatchCommandList commands;
    BatchOutputSettings output;
    enum class Page { kFiles, kCommands, kOutput, kRun } page = Page::kFiles;
    while (page != Page::kRun) {
        switch (page) {
            case Page::kFiles: {
                LSelectBatchFileDlg dialog(files, this);
                if (dialog.exec() != QDialog::Accepted) {
                    return;
                }
                files = dialog.Files();
                page = Page::kCommands;
                break;
            }
            case Page::kCommands: {
                LSelectBatchCommandDlg dialog(commands, *prompts_, this);
                const int answer = dialog.exec();
                if (answer == QDialog::Rejected) {
                    return;
                }
                page = answer == LSelectBatchCommandDlg::kBack ? Page::kFiles : Page::kOutput;
                break;
            }
            case Page::kOutput: {
                LSelectSaveFormatDlg dialog(*prompts_, this);
                const int answer = dialog.exec();
                if (answer == QDialog::Rejected) {
                    return;
                }
                output = dialog.Settings();
                page = answer == LSelectSaveFormatDlg::kBack ? Page::kCommands : Page::kRun;
                break;
            }
            case Page::kRun:
                break;
        }
    }
    LBatchRunDlg window(this);
    LBatchRun run(files, commands.Items(), output, &window);
    ProcessHost host{loop_, window, *prompts_};
    const ProcessResult result = run.Run(host);
    window.ShowOutcome(run, result);
    window.exec();
    if (file != nullptr && std::find(files_.begin(), files_.end(), file) != files_.end()) {
        Activate(file);
    }
}

}  // namespace sonvara
