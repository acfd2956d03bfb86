#pragma once
// The window menu's arrangements of the file windows in the MDI area (cascading is Qt's own).

class QMdiArea;

namespace sonvara {

// The windows that are not minimized side by side (`across`) or one above the other, sharing the
// area evenly.
void TileWindows(QMdiArea& area, bool across);
// The minimized windows in a row along the bottom of the area, wrapping upwards.
void ArrangeIcons(QMdiArea& area);

}  // namespace sonvara
