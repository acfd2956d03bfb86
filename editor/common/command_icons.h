#pragma once
// The icons of the editor's commands: from the desktop's icon theme when it has the name, else
// drawn here in the palette's text colour, so that every tool-bar button has a picture.

#include <QIcon>

namespace sonvara {

// The theme's icon `name`, or our drawing of it; a null icon for a name we do not draw.
QIcon CommandIcon(const char* name);

// Sonvara's own icon (app/desktop/sonvara.svg, built into the program), which the frame, the file
// windows and the dialogs show.
QIcon SonvaraIcon();

}  // namespace sonvara
