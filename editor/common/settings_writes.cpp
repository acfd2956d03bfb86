#include "editor/common/settings_writes.h"

#include "core/settings.h"

namespace sonvara {

void SettingsWrites::Bool(std::string_view name, bool value) {
    if (!Failed() && !WriteBool(section_, name, value)) {
        failed_ = name;
    }
}

void SettingsWrites::Int(std::string_view name, int value) {
    if (!Failed() && !WriteInt(section_, name, value)) {
        failed_ = name;
    }
}

void SettingsWrites::String(std::string_view name, std::string_view value) {
    if (!Failed() && !WriteString(section_, name, value)) {
        failed_ = name;
    }
}

bool SettingsWrites::Report(Prompts& prompts) const {
    if (!Failed()) {
        return true;
    }
    prompts.Ask({"Error",
                 "No se pudo guardar \"" + failed_ + "\" (sección [" + section_ +
                     "]) en el archivo de configuración. Compruebe que se puede escribir en su "
                     "carpeta.",
                 PromptIcon::kError, PromptButtons::kOk});
    return false;
}

}  // namespace sonvara
