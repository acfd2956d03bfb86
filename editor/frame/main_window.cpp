#include "editor/frame/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <ctime>

#include "core/settings.h"
#include "devices/system_outputs.h"
#include "devices/wave_in.h"
#include "editor/common/file_window.h"
#include "editor/files/new_wav_dialog.h"
#include "editor/places/frame_places.h"
#include "editor_model/recent_files.h"
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

struct FileFormat {
    const char* name;
    const char* extensions;  // lower case, separated by spaces
};
constexpr FileFormat kOpenFormats[] = {{"Wave", "wav"},
                                       {"MP3", "mp3"},
                                       {"GSM 6.10", "gsm"},
                                       {"VOX", "vox"},
                                       {"RealAudio", "ra ram rm"},
                                       {"Raw", "raw"},
                                       {"AIFF", "aif aiff"},
                                       {"Sun AU", "au"},
                                       {"DSS", "dss"},
                                       {"Windows Media Audio", "wma"}};
constexpr FileFormat kSaveFormats[] = {{"Wave", "wav"}, {"MP3", "mp3"}, {"GSM 6.10", "gsm"},
                                       {"VOX", "vox"},  {"Raw", "raw"}, {"AIFF", "aif"},
                                       {"Sun AU", "au"}};
// Room for the names, sizes and dates of the files without cutting them.
constexpr QSize kFileDialogSize(860, 540);

// "name (*.ext *.EXT ...)" for `extensions`; file dialogs match the case.
QString Patterns(const QString& extensions) {
    QStringList patterns;
    for (const QString& extension : extensions.split(' ')) {
        patterns << "*." + extension << "*." + extension.toUpper();
    }
    return patterns.join(' ');
}

// All the formats together, then one filter per format.
template <std::size_t N>
QString AudioFilter(const char* all, const FileFormat (&formats)[N]) {
    QStringList every;
    QStringList filters;
    for (const FileFormat& format : formats) {
        every << format.extensions;
        filters << QString("%1 (%2)").arg(format.name, Patterns(format.extensions));
    }
    filters.prepend(QString("%1 (%2)").arg(all, Patterns(every.join(' '))));
    return filters.join(";;");
}

// The folder a file dialog starts in and stores back, as one settings value.
QString StoredFolder(const char* name) {
    return Text(ReadString("Settings", name, ""));
}
void StoreFolder(const char* name, const QString& path) {
    WriteString("Settings", name, QFileInfo(path).absolutePath().toStdString());
}

}  // namespace

MainDialog::MainDialog() : MainDialog(std::make_unique<SystemWaveOutProvider>()) {}

MainDialog::MainDialog(std::unique_ptr<WaveOutProvider> outputs)
    : QMainWindow(nullptr),
      mdi_(new QMdiArea(this)),
      status_(new QLabel(this)),
      loop_(this),
      progress_(this),
      qt_prompts_(this),
      prompts_(&qt_prompts_),
      outputs_(std::move(outputs)),
      transport_(
          std::make_unique<LTransport>(loop_, *outputs_, static_cast<TransportHost&>(*this))),
      places_(std::make_unique<FramePlaces>()) {
    setObjectName("LMMWC");
    setCentralWidget(mdi_);
    statusBar()->addWidget(status_, 1);
    status_->setObjectName("status");
    BuildStatusFields();
    BuildCommands();
    RebuildRecentMenu();
    setAcceptDrops(true);
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
    LoadMacros();
}

MainDialog::~MainDialog() {
    // The place windows play through the transport and read the frame's lists: they go first.
    delete places_->region_window.data();
    delete places_->bookmark_window.data();
    // Playback ends before the files and the frame it reports to.
    transport_.reset();
    // The sub-windows go with the MDI area; their close checks must not reach a dying frame.
    for (LSVFileWindow* file : files_) {
        file->SetCloseCheck({});
    }
    // Nor may their signals: the base class destroys them after this object is gone.
    mdi_->disconnect(this);
    for (QMdiSubWindow* window : mdi_->subWindowList()) {
        window->disconnect(this);
        if (window->widget() != nullptr) {
            window->widget()->disconnect(this);
        }
    }
}

void MainDialog::SetPrompts(Prompts* prompts) {
    prompts_ = prompts != nullptr ? prompts : &qt_prompts_;
}

QString MainDialog::StatusText() const {
    return status_->text();
}

ProcessResult MainDialog::RunProcess(LProgressDialog& process, LSVFileWindow* target) {
    return RunProcess([&process](ProcessHost& host) { return process.Run(host); }, target);
}

ProcessResult MainDialog::RunProcess(const std::function<ProcessResult(ProcessHost&)>& run,
                                     LSVFileWindow* target) {
    ProcessHost host{loop_, progress_, *prompts_};
    const ProcessResult result = run(host);
    // The progress dialog and the messages took the activation; the file gets it back.
    if (target != nullptr && std::find(files_.begin(), files_.end(), target) != files_.end()) {
        Activate(target);
    }
    return result;
}

LSVFileWindow* MainDialog::FindOpenFile(const std::string& path) const {
    for (LSVFileWindow* file : files_) {
        if (!file->Path().empty() && SameFilePath(file->Path(), path)) {
            return file;
        }
    }
    return nullptr;
}

void MainDialog::OpenHandedOver(const QStringList& paths) {
    if (isMinimized()) {
        showNormal();
    }
    raise();
    activateWindow();
    if (!paths.isEmpty()) {
        OpenFiles(paths);
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
        this, [this, paths] { OpenFiles(paths); }, Qt::QueuedConnection);
}

void MainDialog::Activate(LSVFileWindow* file) {
    current_ = file;
    if (auto* window = qobject_cast<QMdiSubWindow*>(file->parentWidget())) {
        if (window->isMinimized()) {
            window->showNormal();
        }
        mdi_->setActiveSubWindow(window);
    }
    EnableMenuOptions();
}

void MainDialog::OpenAsNewFile(LCutListAudio audio) {
    auto file = std::make_unique<LSVFileWindow>();
    file->Document().Audio() = std::move(audio);
    file->Document().SetModified(true);
    file->SetUntitledNumber(UntitledIndex());
    AddFileWindow(std::move(file));
    SetWindowCaption();
    EnableMenuOptions();
}

LSVFileWindow* MainDialog::AddFileWindow(std::unique_ptr<LSVFileWindow> owned) {
    LSVFileWindow* file = owned.release();
    QMdiSubWindow* window = mdi_->addSubWindow(file);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowIcon(windowIcon());
    file->setContextMenuPolicy(Qt::ActionsContextMenu);
    for (const Command& command : Commands()) {
        if (!command.context_menu) {
            continue;
        }
        // The effects come as one submenu, grouped as in the menu bar; the entries of another
        // submenu show there as that submenu.
        QAction* entry = actions_[command.id];
        if (IsEffectMenu(command.menu)) {
            entry = effects_menu_->menuAction();
        } else if (auto* menu = qobject_cast<QMenu*>(entry->parent());
                   menu != nullptr && qobject_cast<QMenu*>(menu->parent()) != nullptr) {
            entry = menu->menuAction();
        }
        if (!file->actions().contains(entry)) {
            file->addAction(entry);
        }
    }
    file->SetCloseCheck([this](LSVFileWindow* closing) { return ApproveClose(closing); });
    LEditCallbacks callbacks;
    callbacks.play_from = [this, file](std::int32_t frame) { PlayFrom(file, frame); };
    file->Document().SetCallbacks(std::move(callbacks));
    // A cursor the window moved shows in the fields a moment later, as a drag of the thumb
    // reports many steps.
    connect(file, &LSVFileWindow::positionsChanged, this, [this] { marks_timer_->start(); });
    for (LSVWaveWindow* view : {file->WaveView(), file->Overview()}) {
        connect(view, &LSVWaveWindow::placeMoved, this,
                [this, file](bool region, std::size_t index, std::int32_t start) {
                    MovePlace(file, region, index, start);
                });
    }
    connect(file, &LSVFileWindow::selectionReported, this,
            [this, file](std::int32_t start, std::int32_t end, std::int32_t cursor) {
                ReportSelection(file, start, end, cursor);
            });
    connect(window, &QMdiSubWindow::windowStateChanged, this,
            [this, window](Qt::WindowStates, Qt::WindowStates now) {
                // The active window's state is the one new windows take.
                if (window == mdi_->activeSubWindow() && !(now & Qt::WindowMinimized)) {
                    WriteBool("MainWindow", "ChildMaximized", (now & Qt::WindowMaximized) != 0);
                }
            });
    files_.push_back(file);
    UpdateTitle(file);
    PlaceFileWindow(window);
    Activate(file);
    file->ViewWholeDocument();
    return file;
}

void MainDialog::PlaceFileWindow(QMdiSubWindow* window) {
    window->setMinimumSize(window->minimumSizeHint());
    QMdiSubWindow* active = mdi_->activeSubWindow();
    const bool alone = files_.size() == 1;
    // Three quarters of the area, each window one title bar down and right of the one before, back
    // at the top left when that would leave the area. A maximized window comes back to this place.
    const QRect area = mdi_->viewport()->rect();
    const QSize minimum = window->minimumSize();
    const QSize size(
        std::clamp(area.width() * 3 / 4, minimum.width(), std::max(area.width(), minimum.width())),
        std::clamp(area.height() * 3 / 4, minimum.height(),
                   std::max(area.height(), minimum.height())));
    const int step = std::max(window->style()->pixelMetric(QStyle::PM_TitleBarHeight), 16);
    const int room = std::min(area.width() - size.width(), area.height() - size.height());
    const int places = std::max(room / step + 1, 1);
    const int index = static_cast<int>(files_.size() - 1) % places;
    window->setGeometry(QRect(QPoint(index * step, index * step), size));
    if (alone ? ReadBool("MainWindow", "ChildMaximized", true)
              : active != nullptr && active->isMaximized()) {
        window->showMaximized();
    } else {
        window->show();
    }
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
    QFileDialog dialog(this, "Abrir Archivo de Audio", StoredFolder("OpenFileDir"),
                       AudioFilter("Archivos de audio", kOpenFormats));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.resize(kFileDialogSize);
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    const QStringList paths = dialog.selectedFiles();
    if (!paths.isEmpty()) {
        StoreFolder("OpenFileDir", paths.front());
    }
    return paths;
}

QString MainDialog::AskAudioFile(const char* folder) {
    QFileDialog dialog(this, "Open Audio Files", StoredFolder(folder),
                       AudioFilter("Archivos de audio", kOpenFormats));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.resize(kFileDialogSize);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    const QString path = dialog.selectedFiles().front();
    StoreFolder(folder, path);
    return path;
}

QString MainDialog::AskRegionPath() {
    return AskAudioSavePath("Guardar la región como", "SaveRegionDir",
                            StoredFolder("SaveRegionDir"), "Audio Files");
}

QString MainDialog::AskAudioSavePath(const QString& title, const char* folder, const QString& start,
                                     const char* filter) {
    QFileDialog dialog(this, title, start, AudioFilter(filter, kSaveFormats));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.resize(kFileDialogSize);
    dialog.setDefaultSuffix("wav");
    // The overwrite question is the frame's own, so that No can show the dialog again.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    const QString path = dialog.selectedFiles().front();
    StoreFolder(folder, path);
    return path;
}

QString MainDialog::AskPathToWrite(const std::function<QString()>& ask) {
    for (;;) {
        const QString path = ask();
        if (path.isEmpty() || !QFileInfo::exists(path)) {
            return path;
        }
        const PromptAnswer answer = prompts_->Ask(
            {"Sonvara", "Otro archivo con el mismo nombre ya existe. ¿Quiere reemplazarlo?",
             PromptIcon::kQuestion, PromptButtons::kYesNoCancel});
        if (answer == PromptAnswer::kYes) {
            return path;
        }
        if (answer != PromptAnswer::kNo) {
            return {};
        }
    }
}

QString MainDialog::AskProjectPath(bool save) {
    // The open dialog's folder is kept in "StoreValues", the save dialog's in "Settings".
    const char* section = save ? "Settings" : "StoreValues";
    const char* folder = save ? "SaveProjectAsDir" : "OpenProjectDir";
    QFileDialog dialog(this, save ? "Guardar el Proyecto como" : "Abrir Proyecto",
                       Text(ReadString(section, folder, "")), "Sonvara Project (.svp) (*.svp)");
    dialog.resize(kFileDialogSize);
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix("svp");
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    const QString path = dialog.selectedFiles().front();
    WriteString(section, folder, QFileInfo(path).absolutePath().toStdString());
    return path;
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

bool MainDialog::LoadAudio(const std::string& path, LCutListAudio& audio, bool ask_raw_format,
                           LSVFileWindow* target) {
    SVLoadFile load(path, audio, ask_raw_format);
    const ProcessResult result = RunProcess(load, target);
    if (result == PROCESS_FAILED) {
        prompts_->Ask({"Error de Archivo", "No se puede abrir el archivo \"" + path + "\".",
                       PromptIcon::kWarning, PromptButtons::kOk});
    }
    return result == PROCESS_DONE;
}

bool MainDialog::LoadFile(const std::string& path, bool ask_raw_format, bool as_untitled) {
    auto file = std::make_unique<LSVFileWindow>();
    if (!LoadAudio(path, file->Document().Audio(), ask_raw_format, nullptr)) {
        return false;
    }
    if (as_untitled) {
        file->Document().SetModified(true);
        file->SetUntitledNumber(UntitledIndex());
    } else {
        file->SetPath(path);
    }
    LoadBookMarkList(AddFileWindow(std::move(file)));
    return true;
}

QString MainDialog::AskSaveAsPath(const QString& current) {
    QString folder = StoredFolder("SaveAsDir");
    const QString start = folder.isEmpty() ? current : folder + "/" + QFileInfo(current).fileName();
    return AskAudioSavePath("Guardar Archivo Audio como", "SaveAsDir", start, "Archivos de audio");
}

bool MainDialog::SaveFile(LSVFileWindow* file, SaveMode mode) {
    LEditDocument& document = file->Document();
    bool made_mono = false;
    // A VOX save makes a stereo document mono first, as an edit the user can undo.
    LSVSaveToSink save(document.Audio(), file->Path(), mode, [&] {
        StopPlaying(file);
        document.StartModifyCurrentFile("Convertir a Mono");
        made_mono = true;
    });
    const ProcessResult result = RunProcess(save, file);
    if (result != PROCESS_DONE && made_mono) {
        document.CancelModifyCurrentFile();  // a failed save leaves the document as it was
    }
    file->RefreshView();
    if (result == PROCESS_DONE) {
        // The bookmarks follow the audio only once it is in place.
        SaveBookMarkList(file);
        document.SetModified(false);
    } else {
        file->SetPath(file->PreviousPath());
    }
    EnableMenuOptions();
    return result == PROCESS_DONE;
}

bool MainDialog::SaveAs(LSVFileWindow* file) {
    const QString path = AskPathToWrite([&] { return AskSaveAsPath(Text(file->Path())); });
    if (path.isEmpty()) {
        return false;
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
    StopPlaying(file);
    file->SetCloseCheck({});
    AddToRecentFileList(file->Path(), static_cast<std::int64_t>(std::time(nullptr)));
    RebuildRecentMenu();
    ForgetBookMarks(file);
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
