// The file menu's CD import: the dialog lists the drives and copies the tracks the user picks into
// the data folder; each copied track then opens as a file of its own. With SONVARA_CD_IMAGES
// naming a folder of disc images (cd/disc_image_file.h), the drives are those images instead of
// the machine's.

#include <QStringList>
#include <cstdlib>
#include <memory>

#include "cd/disc_image_file.h"
#include "cd/sg_io_drives.h"
#include "editor/common/workspace.h"
#include "editor/files/cd_ripper_dialog.h"
#include "editor/files/file_controller.h"

namespace sonvara {

void FileController::CmLoadCDTrack() {
    std::unique_ptr<CdDriveList> system_drives;
    if (cd_drives_ == nullptr) {
        const char* images = std::getenv("SONVARA_CD_IMAGES");
        if (images != nullptr && *images != '\0') {
            std::vector<std::string> errors;
            system_drives = std::make_unique<ImageDriveList>(LoadDiscImages(images, errors));
            for (const std::string& error : errors) {
                workspace_.CurrentPrompts().Ask({"Error", "Imagen de disco no válida: " + error,
                                                 PromptIcon::kError, PromptButtons::kOk});
            }
        } else {
            system_drives = std::make_unique<SgIoDriveList>();
        }
    }
    CdDriveList& drives = cd_drives_ != nullptr ? *cd_drives_ : *system_drives;
    CDRipperDlg dialog(
        drives, [this](LProgressDialog& process) { return workspace_.RunProcess(process); },
        workspace_.CurrentPrompts(), workspace_.Frame());
    dialog.exec();
    // A copy that failed part way keeps the tracks copied before it: they open too.
    QStringList paths;
    for (const std::string& path : dialog.ImportedFiles()) {
        paths.append(QString::fromStdString(path));
    }
    if (!paths.isEmpty()) {
        OpenFiles(paths);
    }
}

}  // namespace sonvara
