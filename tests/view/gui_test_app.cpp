#include "tests/view/gui_test_app.h"

#include <cstdlib>

namespace sonvara::testing {

QApplication& GuiApp() {
    static int argc = 1;
    static char name[] = "sonvara-gui-test";
    static char* argv[] = {name, nullptr};
    static QApplication* application = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
        return new QApplication(argc, argv);
    }();
    return *application;
}

}  // namespace sonvara::testing
