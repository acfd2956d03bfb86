#pragma once
// Finding the user manual, an HTML page that "Ayuda" opens in the desktop's browser.

#include <QString>

namespace sonvara {

// The manual's start page: "index.html" in the manual's folder as seen from `program_folder`, where
// an installation puts it (SONVARA_MANUAL_FROM_PROGRAM) or a build (..._FROM_BUILT_PROGRAM), else
// "sonvara/manual/index.html" in the desktop's data folders ($XDG_DATA_HOME, $XDG_DATA_DIRS).
// Empty when there is none.
QString FindUserManual(const QString& program_folder);

}  // namespace sonvara
