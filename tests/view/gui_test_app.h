#pragma once
// The one QApplication of a GUI test program, made on first use with the offscreen platform
// (unless the environment names another) and D-Bus off.

#include <QApplication>

namespace sonvara::testing {

QApplication& GuiApp();

}  // namespace sonvara::testing
