// The editor: hands its files to an editor that runs already, or installs the user's settings
// file, creates the frame and runs the event loop. Files named on the command line are opened.

#include <QApplication>
#include <QFileInfo>
#include <QStringList>

#include "core/settings.h"
#include "editor/common/command_icons.h"
#include "editor/common/translations.h"
#include "editor/files/file_controller.h"
#include "editor/frame/main_window.h"
#include "editor/frame/single_instance.h"
#include "platform/ini_settings_file.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("Sonvara");
    QApplication::setWindowIcon(sonvara::SonvaraIcon());
    // The running editor may have started in another folder.
    QStringList files;
    for (const QString& argument : QApplication::arguments().mid(1)) {
        files.push_back(QFileInfo(argument).absoluteFilePath());
    }
    const QString instance = sonvara::DefaultInstanceName();
    if (sonvara::HandOverToRunningInstance(instance, files)) {
        return 0;
    }

    sonvara::LoadQtTranslations(application);
    sonvara::UseSettingsStore(
        std::make_shared<sonvara::IniSettingsFile>(sonvara::DefaultSettingsPath()));
    sonvara::MainDialog frame;
    sonvara::InstanceServer server;
    server.Listen(instance);
    QObject::connect(&server, &sonvara::InstanceServer::handedOver, &frame,
                     &sonvara::MainDialog::OpenHandedOver);
    frame.ShowPlaced();
    frame.Rooms().files.RecoverUnsavedFiles();
    if (!files.isEmpty()) {
        frame.Rooms().files.OpenFiles(files);
    }
    return QApplication::exec();
}
