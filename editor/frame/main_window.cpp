#include "editor/frame/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <algorithm>

#include "core/settings.h"
#include "devices/system_outputs.h"
#include "editor/common/command_icons.h"
#include "editor/common/file_window.h"
#include "editor/common/workspace.h"
#include "editor/edit/edit_controller.h"
#include "editor/effects/effect_controller.h"
#include "editor/files/file_controller.h"
#include "editor/places/place_controller.h"
#include "editor/tools/tool_controller.h"
#include "editor/transport/transport_controller.h"
#include "editor_model/time_fields.h"
#include "lv2/plugin_catalog.h"

namespace sonvara {

// The rooms, each made after those it uses and gone before them.
struct MainDialog::Controllers {
    Controllers(MainDialog& frame, QMdiArea& area, std::unique_ptr<WaveOutProvider> outputs)
        : workspace(frame, area),
          transport(workspace, std::move(outputs)),
          edit(workspace),
          effects(workspace, transport),
          places(workspace, transport),
          files(workspace, transport, places),
          tools(workspace, transport, files) {}

    EditorWorkspace workspace;
    TransportController transport;
    EditController edit;
    EffectController effects;
    PlaceController places;
    FileController files;
    ToolController tools;
};

MainDialog::MainDialog() : MainDialog(std::make_unique<SystemWaveOutProvider>()) {}

MainDialog::MainDialog(std::unique_ptr<WaveOutProvider> outputs)
    : QMainWindow(nullptr),
      mdi_(new QMdiArea(this)),
      status_(new QLabel(this)),
      controllers_(std::make_unique<Controllers>(*this, *mdi_, std::move(outputs))) {
    Controllers& c = *controllers_;
    rooms_ = std::make_unique<EditorRooms>(
        EditorRooms{c.workspace, c.files, c.edit, c.effects, c.transport, c.places, c.tools});
    setObjectName("LMMWC");
    setWindowIcon(SonvaraIcon());
    setCentralWidget(mdi_);
    statusBar()->addWidget(status_, 1);
    status_->setObjectName("status");
    BuildStatusFields();
    // The installed plug-ins are found in the background while the frame comes up.
    PluginCatalog::Instance().Discover();
    BuildCommands();
    c.transport.ShowLevelsIn(meter_);
    RebuildRecentMenu();
    setAcceptDrops(true);
    connect(&c.workspace, &EditorWorkspace::changed, this, &MainDialog::EnableMenuOptions);
    connect(&c.workspace, &EditorWorkspace::positionsMoved, this, &MainDialog::UpdateTimeFields);
    connect(&c.workspace, &EditorWorkspace::fileAdded, this, [this](LSVFileWindow* file) {
        AddContextMenu(file);
        UpdateTitle(file);
    });
    connect(&c.files, &FileController::recentFilesChanged, this, &MainDialog::RebuildRecentMenu);
    connect(&c.files, &FileController::captionChanged, this,
            [this] { setWindowTitle(rooms_->files.Caption()); });
    PlaceFrame();
    setWindowTitle(c.files.Caption());
    EnableMenuOptions();
}

MainDialog::~MainDialog() {
    qApp->removeEventFilter(this);
    // Nothing the rooms do on their way out reaches the frame.
    controllers_->workspace.disconnect(this);
    controllers_->files.disconnect(this);
    rooms_.reset();
    controllers_.reset();
}

QString MainDialog::StatusText() const {
    return status_->text();
}

void MainDialog::OpenHandedOver(const QStringList& paths) {
    if (isMinimized()) {
        showNormal();
    }
    raise();
    activateWindow();
    if (!paths.isEmpty()) {
        rooms_->files.OpenFiles(paths);
    }
}

void MainDialog::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); })) {
        event->acceptProposedAction();
    }
}

void MainDialog::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths.push_back(url.toLocalFile());
        }
    }
    event->acceptProposedAction();
    // The loads run their own event loops; the drop ends first.
    QMetaObject::invokeMethod(
        this, [this, paths] { rooms_->files.OpenFiles(paths); }, Qt::QueuedConnection);
}

void MainDialog::BuildStatusFields() {
    const char* names[4] = {"selectionStart", "selectionEnd", "selectionLength", "cursorTime"};
    const char* tips[4] = {"Inicio", "Fin", "Duración", "Cursor"};
    for (int i = 0; i < 4; ++i) {
        time_fields_[i] = new QLabel(this);
        time_fields_[i]->setObjectName(names[i]);
        time_fields_[i]->setToolTip(QString::fromUtf8(tips[i]));
        time_fields_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        time_fields_[i]->setMinimumWidth(90);
        statusBar()->addPermanentWidget(time_fields_[i]);
    }
    auto* refresh = new QTimer(this);
    refresh->setInterval(500);
    connect(refresh, &QTimer::timeout, this, &MainDialog::UpdateTimeFields);
    refresh->start();
}

QString MainDialog::TimeFieldText(TimeField field) const {
    return time_fields_[static_cast<int>(field)]->text();
}

void MainDialog::UpdateTimeFields() {
    const LSVFileWindow* file = rooms_->workspace.CurrentFile();
    if (file == nullptr) {
        for (QLabel* field : time_fields_) {
            field->clear();
        }
        return;
    }
    const TimeFieldTexts texts =
        MakeTimeFields(file->Document().Positions(), file->Document().Audio().GetSampleRate());
    const std::string* values[4] = {&texts.selection_start, &texts.selection_end,
                                    &texts.selection_length, &texts.cursor};
    for (int i = 0; i < 4; ++i) {
        time_fields_[i]->setText(QString::fromStdString(*values[i]));
    }
}

void MainDialog::closeEvent(QCloseEvent* event) {
    if (!rooms_->files.CmCloseAll()) {
        event->ignore();
        return;
    }
    if (isMaximized()) {
        WriteBool("MainWindow", "Maximized", true);
    } else if (!isMinimized()) {
        // The place of the frame and the size of its inside, as PlaceFrame() restores them.
        const QRect frame(pos(), size());
        const QRect desktop = DesktopRect();
        WriteBool("MainWindow", "Maximized", false);
        WriteInt("MainWindow", "X", frame.x());
        WriteInt("MainWindow", "Y", frame.y());
        WriteInt("MainWindow", "Width", std::min(frame.width(), desktop.right() + 1 - frame.x()));
        WriteInt("MainWindow", "Height", frame.height());
    }
    event->accept();
}

QRect MainDialog::DesktopRect() const {
    const QScreen* screen =
        this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

QRect ClipToDesktop(QRect frame, const QRect& desktop) {
    frame.setWidth(std::min(frame.width(), desktop.width()));
    frame.setHeight(std::min(frame.height(), desktop.height()));
    frame.moveLeft(std::max(frame.left(), desktop.left()));
    frame.moveTop(std::max(frame.top(), desktop.top()));
    if (frame.right() > desktop.right()) {
        frame.moveRight(desktop.right());
    }
    if (frame.bottom() > desktop.bottom()) {
        frame.moveBottom(desktop.bottom());
    }
    return frame;
}

void MainDialog::PlaceFrame() {
    const QRect stored(ReadInt("MainWindow", "X", 160), ReadInt("MainWindow", "Y", 80),
                       ReadInt("MainWindow", "Width", 740), ReadInt("MainWindow", "Height", 627));
    // A maximized frame keeps the stored rectangle as its size when restored.
    const QRect frame =
        ReadBool("MainWindow", "Maximized", true) ? stored : ClipToDesktop(stored, DesktopRect());
    move(frame.topLeft());
    resize(frame.size());
}

void MainDialog::ShowPlaced() {
    if (ReadBool("MainWindow", "Maximized", true)) {
        showMaximized();
    } else {
        show();
    }
}

}  // namespace sonvara
