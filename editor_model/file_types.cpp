#include "editor_model/file_types.h"

#include <algorithm>
#include <vector>

#include "platform/desktop_registration.h"

namespace sonvara {
namespace {

constexpr FileTypeChoice kChoices[] = {
    {"DefaultRunWav", "wav", {"wav"}},           {"DefaultRunMp3", "mp3", {"mp3"}},
    {"DefaultRunGsm", "gsm", {"gsm"}},           {"DefaultRunVox", "vox", {"vox"}},
    {"DefaultRunRaw", "raw", {"raw"}},           {"DefaultRunAIF", "aif", {"aif", "aiff"}},
    {"DefaultRunRA", "rm", {"ra", "ram", "rm"}}, {"DefaultRunAU", "au", {"au"}},
    {"DefaultRunDSS", "dss", {"dss"}},           {"DefaultRunWMA", "wma", {"wma"}},
};

// audio/x-vox and audio/x-dss are the editor's own (installed with it as
// share/mime/packages/sonvara.xml); the system's database has the others.
constexpr const char* kMimeTypes[] = {
    "audio/x-wav",
    "audio/mpeg",
    "audio/x-gsm",
    "audio/x-vox",
    "audio/x-aiff",
    "audio/basic",
    "audio/x-dss",
    "audio/x-ms-wma",
    "audio/vnd.rn-realaudio",
    "application/ram",
    "application/vnd.rn-realmedia",
};

}  // namespace

std::span<const FileTypeChoice> FileTypeChoices() {
    return kChoices;
}

std::span<const char* const> EditorMimeTypes() {
    return kMimeTypes;
}

std::string EditorDesktopEntry(std::string_view exec_program) {
    std::string mime_types;
    for (const char* type : kMimeTypes) {
        mime_types += std::string(type) + ";";
    }
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Sonvara\n"
           "GenericName=Editor de sonido\n"
           "Comment=Edite, grabe y convierta archivos de sonido\n"
           "Exec=" +
           std::string(exec_program) +
           " %F\n"
           "Icon=sonvara\n"
           "Terminal=false\n"
           "Categories=AudioVideo;Audio;AudioVideoEditing;\n"
           "Keywords=audio;sonido;editor;wav;mp3;\n"
           "MimeType=" +
           mime_types + "\n";
}

bool RegisterFileTypes(std::span<const FileTypeChoice* const> checked, const std::string& program,
                       std::string& error) {
    error.clear();
    std::vector<std::string> types;
    for (const FileTypeChoice* choice : checked) {
        for (const char* extension : choice->extensions) {
            if (extension == nullptr) {
                continue;
            }
            for (std::string& type : MimeTypesOfExtension(extension)) {
                const bool opened = std::ranges::find(kMimeTypes, type) != std::end(kMimeTypes);
                if (opened && std::ranges::find(types, type) == types.end()) {
                    types.push_back(std::move(type));
                }
            }
        }
    }
    if (types.empty()) {
        return true;
    }
    const std::string exec = DesktopExecProgram(program);
    if (exec.empty()) {
        error = "La ruta del programa \"" + program + "\" no se puede registrar.";
        return false;
    }
    return ReplaceTextFile(UserApplicationsFolder() + "/" + std::string(kDesktopId),
                           EditorDesktopEntry(exec), error) &&
           SetUserDefaultApplication(types, kDesktopId, error);
}

}  // namespace sonvara
