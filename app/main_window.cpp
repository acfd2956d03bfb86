#include "app/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>

#include "app/file_window.h"
#include "app/new_wav_dialog.h"
#include "app/recent_files.h"
#include "core/settings.h"
#include "view/wave_window.h"

namespace sonvara {
namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

bool SameFilePath(const std::string& a, const std::string& b) {
    return QString::compare(Text(a), Text(b), Qt::CaseInsensitive) == 0;
}

std::string LowerExtension(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return "";
    }
    return QString::fromStdString(path.substr(dot)).toLower().toStdString();
}

// The folder a file dialog starts in and stores back, as one settings value.
QString StoredFolder(const char* name) {
    return Text(ReadString("Settings", name, ""));
}
void StoreFolder(const char* name, const QString& path) {
    WriteString("Settings", name, QFileInfo(path).absolutePath().toStdString());
}

}  // namespace

MainDialog::MainDialog(QWidget* parent)
    : QMainWindow(parent),
      mdi_(new QMdiArea(this)),
      status_(new QLabel(this)),
      loop_(this),
      progress_(this),
      qt_prompts_(this),
      prompts_(&qt_prompts_) {
    setObjectName("LMMWC");
    setCentralWidget(mdi_);
    statusBar()->addWidget(status_, 1);
    status_->setObjectName("status");
    BuildStatusFields();
    BuildMenus();
    BuildViewMenus();
    RebuildRecentMenu();
    connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* window) {
        if (window == nullptr) {
            return;
        }
        if (auto* file = qobject_cast<LSVFileWindow*>(window->widget())) {
            current_ = file;
            EnableMenuOptions();
        }
    });
    PlaceFrame();
    SetWindowCaption();
    EnableMenuOptions();
}

MainDialog::~MainDialog() {
    // The sub-windows go with the MDI area; their close checks must not reach a dying frame.
    for (LSVFileWindow* file : files_) {
        file->SetCloseCheck({});
    }
}

void MainDialog::SetPrompts(Prompts* prompts) {
    prompts_ = prompts != nullptr ? prompts : &qt_prompts_;
}

QAction* MainDialog::AddCommand(QMenu* menu, int id, const QString& text) {
    QAction* action = menu->addAction(text);
    action->setProperty("commandId", id);
    actions_[id] = action;
    return action;
}

void MainDialog::BuildMenus() {
    QMenu* file = menuBar()->addMenu("&Archivo");
    file->setObjectName("fileMenu");
    AddCommand(file, kCmNew, "&Nuevo Archivo...\tCtrl+N")->setShortcut(QKeySequence("Ctrl+N"));
    AddCommand(file, kCmOpen, "&Abrir Archivo...\tCtrl+O")->setShortcut(QKeySequence("Ctrl+O"));
    AddCommand(file, kCmClose, "Cerrar Archivo");
    file->addSeparator();
    AddCommand(file, kCmSave, "&Guardar Archivo\tCtrl+S")->setShortcut(QKeySequence("Ctrl+S"));
    // The label of save-as repeats Ctrl+S; the key itself belongs to save alone.
    AddCommand(file, kCmSaveAs, "Guardar Archivo Como...\tCtrl+S");
    file->addSeparator();
    AddCommand(file, kCmConvertSampleRate, "Convertir la Tasa de Muestra");
    QMenu* channels = file->addMenu("Convertir los Canales (Mono <-> Estéreo)");
    channels->setObjectName("channelsMenu");
    auto* channel_group = new QActionGroup(channels);
    for (const auto& [id, text] : {std::pair{kCmMono, "Mono"}, std::pair{kCmStereo, "Estéreo"}}) {
        QAction* action = AddCommand(channels, id, QString::fromUtf8(text));
        action->setCheckable(true);
        channel_group->addAction(action);
    }
    file->addSeparator();
    AddCommand(file, kCmCloseAll, "Cierre Todo");
    file->addSeparator();
    // The recent files go between here and "&Salir".
    AddCommand(file, kCmExit, "&Salir");
    file_menu_ = file;
    connect(actions_[kCmNew], &QAction::triggered, this, [this] { CmNew(); });
    connect(actions_[kCmOpen], &QAction::triggered, this, [this] { CmOpen(); });
    connect(actions_[kCmClose], &QAction::triggered, this, [this] { CmClose(); });
    connect(actions_[kCmSave], &QAction::triggered, this, [this] { CmSave(); });
    connect(actions_[kCmSaveAs], &QAction::triggered, this, [this] { CmSaveAs(); });
    connect(actions_[kCmCloseAll], &QAction::triggered, this, [this] { CmCloseAll(); });
    connect(actions_[kCmConvertSampleRate], &QAction::triggered, this,
            [this] { CmConvertSampleRate(); });
    connect(actions_[kCmMono], &QAction::triggered, this, [this] { CmConvertChannel(1); });
    connect(actions_[kCmStereo], &QAction::triggered, this, [this] { CmConvertChannel(2); });
    connect(actions_[kCmExit], &QAction::triggered, this, [this] { close(); });
}

void MainDialog::RebuildRecentMenu() {
    for (QAction* action : recent_actions_) {
        file_menu_->removeAction(action);
        delete action;
    }
    recent_actions_.clear();
    QAction* exit = actions_[kCmExit];
    for (const RecentFile& recent : RecentFiles()) {
        auto* action = new QAction(
            QString("&%1. %2").arg(recent.slot).arg(QString::fromStdString(recent.path)),
            file_menu_);
        action->setProperty("commandId", kCmRecentFirst + recent.slot - 1);
        const QString path = QString::fromStdString(recent.path);
        connect(action, &QAction::triggered, this, [this, path] { OpenFiles({path}); });
        file_menu_->insertAction(exit, action);
        recent_actions_.push_back(action);
    }
    if (!recent_actions_.empty()) {
        auto* separator = new QAction(file_menu_);
        separator->setSeparator(true);
        separator->setProperty("commandId", kCmRecentSeparator);
        file_menu_->insertAction(exit, separator);
        recent_actions_.push_back(separator);
    }
}

std::vector<QAction*> MainDialog::RecentFileActions() const {
    std::vector<QAction*> entries;
    for (QAction* action : recent_actions_) {
        if (!action->isSeparator()) {
            entries.push_back(action);
        }
    }
    return entries;
}

QAction* MainDialog::Action(int command) const {
    auto found = actions_.find(command);
    return found != actions_.end() ? found->second : nullptr;
}

QString MainDialog::StatusText() const {
    return status_->text();
}

void MainDialog::EnableMenuOptions() {
    const bool open = current_ != nullptr;
    for (const auto& [id, action] : actions_) {
        if (id != kCmNew && id != kCmOpen && id != kCmExit) {
            action->setEnabled(open);
        }
    }
    actions_[kCmSave]->setEnabled(open && current_->IsModified());
    const bool stereo = open && current_->Document().Audio().GetChannels() == 2;
    actions_[kCmDisplayPosNeg]->setEnabled(stereo);
    actions_[kCmDisplayLeftRight]->setEnabled(stereo);
    if (open) {
        // The channel count shows as the checked one of the two.
        actions_[stereo ? kCmStereo : kCmMono]->setChecked(true);
        actions_[kCmZoomVertical]->setChecked(current_->VerticalZoom());
        actions_[kCmDisplayPosNeg]->setChecked(current_->DisplayMode() == WaveDisplayMode::kPosNeg);
        actions_[kCmDisplayLeftRight]->setChecked(current_->DisplayMode() ==
                                                  WaveDisplayMode::kLeftRight);
    }
    UpdateTimeFields();
    if (open) {
        const LCutListAudio& audio = current_->Document().Audio();
        char text[64];
        std::snprintf(text, sizeof text, "Tasa de muestra: %d   %s",
                      static_cast<int>(audio.GetSampleRate()),
                      audio.GetChannels() == 2 ? "Stereo" : "Mono");
        status_->setText(text);
    } else {
        status_->clear();
    }
}

void MainDialog::SetWindowCaption() {
    // Projects are not part of the editor yet, so no project name follows the product name.
    setWindowTitle("Sonvara");
}

ProcessResult MainDialog::RunProcess(LProgressDialog& process) {
    ProcessHost host{loop_, progress_, *prompts_};
    return process.Run(host);
}

LSVFileWindow* MainDialog::FindOpenFile(const std::string& path) const {
    for (LSVFileWindow* file : files_) {
        if (!file->Path().empty() && SameFilePath(file->Path(), path)) {
            return file;
        }
    }
    return nullptr;
}

void MainDialog::OpenHandedOver(const QString& path) {
    if (isMinimized()) {
        showNormal();
    }
    raise();
    activateWindow();
    if (!path.isEmpty()) {
        OpenFiles({path});
    }
}

void MainDialog::Activate(LSVFileWindow* file) {
    current_ = file;
    if (auto* window = qobject_cast<QMdiSubWindow*>(file->parentWidget())) {
        mdi_->setActiveSubWindow(window);
    }
    EnableMenuOptions();
}

LSVFileWindow* MainDialog::AddFileWindow(std::unique_ptr<LSVFileWindow> owned) {
    LSVFileWindow* file = owned.release();
    QMdiSubWindow* window = mdi_->addSubWindow(file);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(Text(file->DisplayName()));
    file->SetCloseCheck([this](LSVFileWindow* closing) { return ApproveClose(closing); });
    connect(file, &LSVFileWindow::positionsChanged, this, [this] {
        // The fields and menus follow a moment later, as a drag reports many steps.
        marks_timer_->start();
    });
    files_.push_back(file);
    window->show();
    Activate(file);
    file->ViewWholeDocument();
    return file;
}

int MainDialog::UntitledIndex() const {
    for (int n = 1; n <= 19; ++n) {
        const bool used = std::any_of(files_.begin(), files_.end(), [n](LSVFileWindow* file) {
            return file->Path().empty() && file->UntitledNumber() == n;
        });
        if (!used) {
            return n;
        }
    }
    return 1;
}

void MainDialog::CmNew() {
    int rate = ReadInt("Settings", "DefaultSampleRate", 44100);
    int channels = ReadInt("Settings", "DefaultChannels", 1);
    if (ReadBool("Settings", "PromptSampleAndChannels", true)) {
        NewWavDlg dialog(*prompts_, this);
        if (dialog.exec() != QDialog::Accepted) {
            return;
        }
        rate = dialog.SampleRate();
        channels = dialog.Channels();
    }
    auto file = std::make_unique<LSVFileWindow>();
    file->Document().Audio().SetFormat(rate, channels == 2 ? 2 : 1);
    file->SetUntitledNumber(UntitledIndex());
    AddFileWindow(std::move(file));
    SetWindowCaption();
}

QStringList MainDialog::AskOpenFiles() {
    const QStringList paths = QFileDialog::getOpenFileNames(
        this, "Abrir Archivo de Audio", StoredFolder("OpenFileDir"),
        "Audio Files (*.WAV *.wav *.GSM *.gsm *.VOX *.vox *.RAW *.raw *.AIF *.aif *.AIFF "
        "*.aiff *.AU *.au);;Wave (*.wav *.WAV);;GSM 6.10 (*.gsm *.GSM);;VOX (*.vox *.VOX);;"
        "Raw (*.raw *.RAW);;AIFF (*.aif *.aiff *.AIF *.AIFF);;Sun AU (*.au *.AU)");
    if (!paths.isEmpty()) {
        StoreFolder("OpenFileDir", paths.front());
    }
    return paths;
}

void MainDialog::CmOpen() {
    OpenFiles(AskOpenFiles());
}

void MainDialog::OpenFiles(const QStringList& paths) {
    bool ask_raw_format = true;
    for (const QString& path : paths) {
        const std::string name = path.toStdString();
        if (LSVFileWindow* open = FindOpenFile(name)) {
            Activate(open);
            continue;
        }
        // Only the first file that loads asks for the raw settings; the rest use them.
        if (LoadFile(name, ask_raw_format)) {
            ask_raw_format = false;
        }
    }
    SetWindowCaption();
    EnableMenuOptions();
}

bool MainDialog::LoadFile(const std::string& path, bool ask_raw_format) {
    auto file = std::make_unique<LSVFileWindow>();
    SVLoadFile load(path, file->Document().Audio(), ask_raw_format);
    const ProcessResult result = RunProcess(load);
    if (result != PROCESS_DONE) {
        if (result == PROCESS_FAILED) {
            prompts_->Ask({"Error de Archivo", "No se puede abrir el archivo \"" + path + "\".",
                           PromptIcon::kWarning, PromptButtons::kOk});
        }
        return false;
    }
    file->SetPath(path);
    AddFileWindow(std::move(file));
    return true;
}

QString MainDialog::AskSaveAsPath(const QString& current) {
    QString folder = StoredFolder("SaveAsDir");
    const QString start = folder.isEmpty() ? current : folder + "/" + QFileInfo(current).fileName();
    QFileDialog dialog(
        this, "Guardar Archivo Audio como", start,
        "Archivos de audio (*.WAV *.wav *.GSM *.gsm *.VOX *.vox *.RAW *.raw *.AIF "
        "*.aif *.AU *.au);;Wave (*.wav);;GSM 6.10 (*.gsm);;VOX (*.vox);;Raw (*.raw);;"
        "AIFF (*.aif);;Sun AU (*.au)");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("wav");
    // The overwrite question is the frame's own, so that No can show the dialog again.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    const QString path = dialog.selectedFiles().front();
    StoreFolder("SaveAsDir", path);
    return path;
}

bool MainDialog::SaveFile(LSVFileWindow* file, SaveMode mode) {
    LEditDocument& document = file->Document();
    bool made_mono = false;
    // A VOX save makes a stereo document mono first, as an edit the user can undo.
    LSVSaveToSink save(document.Audio(), file->Path(), mode, [&] {
        document.StartModifyCurrentFile("Convertir a Mono");
        made_mono = true;
    });
    const ProcessResult result = RunProcess(save);
    if (result != PROCESS_DONE && made_mono) {
        document.Undo();  // a failed save leaves the document as it was
    }
    file->RefreshView();
    if (result == PROCESS_DONE) {
        document.SetModified(false);
    } else {
        file->SetPath(file->PreviousPath());
    }
    if (auto* window = qobject_cast<QMdiSubWindow*>(file->parentWidget())) {
        window->setWindowTitle(Text(file->DisplayName()));
    }
    EnableMenuOptions();
    return result == PROCESS_DONE;
}

bool MainDialog::SaveAs(LSVFileWindow* file) {
    QString path;
    for (;;) {
        path = AskSaveAsPath(Text(file->Path()));
        if (path.isEmpty()) {
            return false;
        }
        if (!QFileInfo::exists(path)) {
            break;
        }
        const PromptAnswer answer = prompts_->Ask(
            {"Sonvara", "Otro archivo con el mismo nombre ya existe. ¿Quiere reemplazarlo?",
             PromptIcon::kQuestion, PromptButtons::kYesNoCancel});
        if (answer == PromptAnswer::kYes) {
            break;
        }
        if (answer != PromptAnswer::kNo) {
            return false;
        }
    }
    file->SetPreviousPath(file->Path());
    file->SetPath(path.toStdString());
    return SaveFile(file, SaveMode::kNewName);
}

bool MainDialog::CmSave() {
    if (current_ == nullptr) {
        return false;
    }
    if (current_->Path().empty()) {
        return SaveAs(current_);
    }
    const std::string extension = LowerExtension(current_->Path());
    if (extension == ".ra" || extension == ".ram" || extension == ".rm") {
        const PromptAnswer answer = prompts_->Ask(
            {"Sonvara",
             "Guardar en formato de archivo de audio real no es posible. ¿Quiere guardar en otro "
             "formato (wav, mp3, gsm, vox)?",
             PromptIcon::kQuestion, PromptButtons::kYesNoCancel});
        return answer == PromptAnswer::kYes && SaveAs(current_);
    }
    current_->SetPreviousPath(current_->Path());
    return SaveFile(current_, SaveMode::kPlain);
}

bool MainDialog::CmSaveAs() {
    return current_ != nullptr && SaveAs(current_);
}

bool MainDialog::SaveChanges(LSVFileWindow* file) {
    if (!file->IsModified()) {
        return true;
    }
    const PromptAnswer answer =
        prompts_->Ask({"Sonvara", "Guarde los cambios en \"" + file->DisplayName() + "\"?",
                       PromptIcon::kQuestion, PromptButtons::kYesNoCancel});
    if (answer == PromptAnswer::kCancel || answer == PromptAnswer::kOk) {
        return false;
    }
    if (answer == PromptAnswer::kYes) {
        // The close goes on whatever the save's outcome.
        if (file->Path().empty()) {
            SaveAs(file);
        } else {
            file->SetPreviousPath(file->Path());
            SaveFile(file, SaveMode::kPlain);
        }
    }
    return true;
}

bool MainDialog::ApproveClose(LSVFileWindow* file) {
    auto approved = std::find(approved_.begin(), approved_.end(), file);
    if (approved != approved_.end()) {
        approved_.erase(approved);
    } else if (!SaveChanges(file)) {
        return false;
    }
    Forget(file);
    return true;
}

void MainDialog::Forget(LSVFileWindow* file) {
    file->SetCloseCheck({});
    AddToRecentFileList(file->Path(), static_cast<std::int64_t>(std::time(nullptr)));
    RebuildRecentMenu();
    files_.erase(std::remove(files_.begin(), files_.end(), file), files_.end());
    if (current_ == file) {
        current_ = files_.empty() ? nullptr : files_.front();
        if (current_ != nullptr) {
            Activate(current_);
        }
    }
    EnableMenuOptions();
}

bool MainDialog::CmClose() {
    if (current_ == nullptr) {
        return false;
    }
    QWidget* window = current_->parentWidget();
    LSVFileWindow* file = current_;
    if (!SaveChanges(file)) {
        return false;
    }
    approved_.push_back(file);
    window->close();
    return true;
}

bool MainDialog::CmCloseAll() {
    const std::vector<LSVFileWindow*> files = files_;
    for (LSVFileWindow* file : files) {
        if (!SaveChanges(file)) {
            return false;
        }
    }
    for (LSVFileWindow* file : files) {
        approved_.push_back(file);
        file->parentWidget()->close();
    }
    current_ = nullptr;
    EnableMenuOptions();
    return true;
}

void MainDialog::closeEvent(QCloseEvent* event) {
    if (!CmCloseAll()) {
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
