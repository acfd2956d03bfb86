// The file menu's options: the "Opciones" sheet over the frame's outputs and the machine's inputs.
// A new working folder is used from the next start, so after one the editor says so and closes,
// whatever the answer (its close check may still keep it open for a file to be saved).

#include <QCoreApplication>

#include "devices/system_inputs.h"
#include "editor/frame/main_window.h"
#include "editor/options/options_sheet.h"

namespace sonvara {

void MainDialog::CmOptions() {
    SystemWaveInProvider inputs;
    LOptionsSheet sheet({*outputs_, inputs, *prompts_,
                         QCoreApplication::applicationFilePath().toStdString(), macros_},
                        this);
    if (sheet.exec() != QDialog::Accepted || !sheet.WorkingFolderChanged()) {
        return;
    }
    prompts_->Ask({"Se requiere que desconecte",
                   "Sonvara se cerrará ahora debido a que Usted cambió la carpeta de audio.\n\n"
                   "Por favor, reactive Sonvara para comenzar con nuevas carpetas.",
                   PromptIcon::kQuestion, PromptButtons::kOkCancel});
    close();
}

}  // namespace sonvara
