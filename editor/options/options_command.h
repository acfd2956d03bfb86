#pragma once
// The "Opciones" sheet over the editor's outputs and the machine's inputs, editing `macros`
// with the rest of the settings.

#include <vector>

#include "editor_model/macro_keys.h"

namespace sonvara {

class EditorWorkspace;
class WaveOutProvider;

// Shows the sheet; true when the user changed the working folder, which is used from the next
// start.
bool RunOptionsSheet(EditorWorkspace& workspace, WaveOutProvider& outputs,
                     std::vector<LSVMacroKeys>& macros);

}  // namespace sonvara
