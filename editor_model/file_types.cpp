#include "editor_model/file_types.h"

#include <algorithm>
#include <vector>

#include "formats/format_table.h"
#include "platform/desktop_registration.h"

namespace sonvara {

std::span<const FileTypeChoice> FileTypeChoices() {
    static const std::vector<FileTypeChoice> choices = [] {
        std::vector<FileTypeChoice> formats;
        for (const FileFormat& format : FileFormats()) {
            if (format.registration_setting != nullptr) {
                formats.push_back(
                    {format.registration_setting, format.registration_label, format.extensions});
            }
        }
        return formats;
    }();
    return choices;
}

// audio/x-vox and audio/x-dss are the editor's own (installed with it as
// share/mime/packages/sonvara.xml); the system's database has the others.
std::span<const char* const> EditorMimeTypes() {
    static const std::vector<const char*> types = [] {
        std::vector<const char*> all;
        for (const FileFormat& format : FileFormats()) {
            for (const char* type : format.mime_types) {
                if (type != nullptr) {
                    all.push_back(type);
                }
            }
        }
        return all;
    }();
    return types;
}

std::string EditorDesktopEntry(std::string_view exec_program) {
    std::string mime_types;
    for (const char* type : EditorMimeTypes()) {
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
                const bool opened =
                    std::ranges::find(EditorMimeTypes(), type) != EditorMimeTypes().end();
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
