#include "editor/frame/window_arrangement.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace sonvara {
namespace {

// The sub-windows that are not minimized, in the MDI area's stacking order.
QList<QMdiSubWindow*> ShownWindows(QMdiArea& area) {
    QList<QMdiSubWindow*> shown;
    for (QMdiSubWindow* window : area.subWindowList(QMdiArea::StackingOrder)) {
        if (!window->isMinimized()) {
            window->showNormal();
            shown.push_back(window);
        }
    }
    return shown;
}

}  // namespace

void TileWindows(QMdiArea& area, bool across) {
    const QList<QMdiSubWindow*> windows = ShownWindows(area);
    const QRect space = area.viewport()->rect();
    const int count = static_cast<int>(windows.size());
    for (int i = 0; i < count; ++i) {
        if (across) {
            const int left = space.width() * i / count;
            const int right = space.width() * (i + 1) / count;
            windows[i]->setGeometry(left, 0, right - left, space.height());
        } else {
            const int top = space.height() * i / count;
            const int bottom = space.height() * (i + 1) / count;
            windows[i]->setGeometry(0, top, space.width(), bottom - top);
        }
    }
}

void ArrangeIcons(QMdiArea& area) {
    const int width = area.viewport()->width();
    int x = 0;
    int top = -1;
    for (QMdiSubWindow* window : area.subWindowList(QMdiArea::CreationOrder)) {
        if (!window->isMinimized()) {
            continue;
        }
        const QSize size = window->size();
        if (top < 0) {
            top = area.viewport()->height() - size.height();
        } else if (x > 0 && x + size.width() > width) {
            x = 0;
            top -= size.height();
        }
        window->move(x, top);
        x += size.width();
    }
}

}  // namespace sonvara
