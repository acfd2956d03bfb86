// The editor: hands its file to an editor that runs already, or installs the user's settings
// file, creates the frame and runs the event loop. A file named on the command line is opened.

#include <QApplication>
#include <QStringList>

#include "app/main_window.h"
#include "app/single_instance.h"
#include "core/settings.h"
#include "platform/ini_settings_file.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("Sonvara");
    const QStringList arguments = QApplication::arguments();
    const QString file = arguments.size() > 1 ? arguments.at(1) : QString();
    const QString instance = sonvara::DefaultInstanceName();
    if (sonvara::HandOverToRunningInstance(instance, file)) {
        return 0;
    }

    sonvara::UseSettingsStore(
        std::make_shared<sonvara::IniSettingsFile>(sonvara::DefaultSettingsPath()));
    sonvara::MainDialog frame;
    sonvara::InstanceServer server;
    server.Listen(instance);
    QObject::connect(&server, &sonvara::InstanceServer::handedOver, &frame,
                     &sonvara::MainDialog::OpenHandedOver);
    frame.ShowPlaced();
    if (!file.isEmpty()) {
        frame.OpenFiles({file});
    }
    return QApplication::exec();
}
