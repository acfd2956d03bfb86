#include "editor/common/workspace.h"

#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>
#include <QTimer>
#include <algorithm>

#include "core/settings.h"
#include "document/edit_commands.h"
#include "editor/common/file_window.h"
#include "formats/load_save.h"
#include "project/record_fields.h"

namespace sonvara {
namespace {

bool SameFilePath(const std::string& a, const std::string& b) {
    return QString::compare(QString::fromStdString(a), QString::fromStdString(b),
                            Qt::CaseInsensitive) == 0;
}

// Puts the selection [start, end) in either order and the cursor into `file`'s document, within
// it.
void StoreSelection(LSVFileWindow& file, std::int32_t start, std::int32_t end,
                    std::int32_t cursor) {
    const std::int32_t length = file.Document().Audio().GetLength();
    LEditPositions& positions = file.Document().Positions();
    positions.selection_start = std::clamp(std::min(start, end), 0, length);
    positions.selection_end = std::clamp(std::max(start, end), 0, length);
    positions.cursor = std::clamp(cursor, 0, length);
}

}  // namespace

EditorWorkspace::EditorWorkspace(QWidget& frame, QMdiArea& area)
    : frame_(&frame),
      area_(area),
      loop_(this),
      progress_(&frame),
      qt_prompts_(&frame),
      prompts_(&qt_prompts_),
      file_dialogs_(&frame),
      questions_(&file_dialogs_),
      marks_timer_(new QTimer(this)) {
    marks_timer_->setSingleShot(true);
    marks_timer_->setInterval(50);
    connect(marks_timer_, &QTimer::timeout, this, &EditorWorkspace::ApplySelection);
    connect(&area_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* window) {
        if (window == nullptr) {
            return;
        }
        if (auto* file = qobject_cast<LSVFileWindow*>(window->widget())) {
            current_ = file;
            Changed();
        }
    });
}

EditorWorkspace::~EditorWorkspace() {
    // The sub-windows go with the MDI area, after this object: their close checks and signals
    // must not reach the rooms.
    area_.disconnect(this);
    for (LSVFileWindow* file : files_) {
        file->SetCloseCheck({});
        file->disconnect(this);
        if (QWidget* window = file->parentWidget()) {
            window->disconnect(this);
        }
    }
}

void EditorWorkspace::SetPrompts(Prompts* prompts) {
    prompts_ = prompts != nullptr ? prompts : &qt_prompts_;
}

void EditorWorkspace::SetQuestions(FileQuestions* questions) {
    questions_ = questions != nullptr ? questions : &file_dialogs_;
}

ProcessResult EditorWorkspace::RunProcess(LProgressDialog& process, LSVFileWindow* target) {
    return RunProcess([&process](ProcessHost& host) { return process.Run(host); }, target);
}

ProcessResult EditorWorkspace::RunProcess(const std::function<ProcessResult(ProcessHost&)>& run,
                                          LSVFileWindow* target) {
    ProcessHost host{loop_, progress_, *prompts_};
    const ProcessResult result = run(host);
    // The progress dialog and the messages took the activation; the file gets it back.
    if (target != nullptr && IsOpen(target)) {
        Activate(target);
    }
    return result;
}

std::optional<std::string> EditorWorkspace::AskName(const QString& title, const QString& prompt,
                                                    const QString& proposed) {
    QString text = proposed;
    for (;;) {
        const std::optional<std::string> name = questions_->AskName(title, prompt, text);
        if (!name || FitsTextField(*name)) {
            return name;
        }
        prompts_->Ask({"Valor no válido", TooLongMessage("El nombre", *name), PromptIcon::kWarning,
                       PromptButtons::kOk});
        text = QString::fromStdString(*name);
    }
}

QString EditorWorkspace::AskPathToWrite(const std::function<QString()>& ask) {
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

bool EditorWorkspace::IsOpen(const LSVFileWindow* file) const {
    return std::find(files_.begin(), files_.end(), file) != files_.end();
}

LSVFileWindow* EditorWorkspace::FindOpenFile(const std::string& path) const {
    for (LSVFileWindow* file : files_) {
        if (!file->Path().empty() && SameFilePath(file->Path(), path)) {
            return file;
        }
    }
    return nullptr;
}

void EditorWorkspace::Activate(LSVFileWindow* file) {
    current_ = file;
    if (auto* window = qobject_cast<QMdiSubWindow*>(file->parentWidget())) {
        if (window->isMinimized()) {
            window->showNormal();
        }
        area_.setActiveSubWindow(window);
    }
    Changed();
}

void EditorWorkspace::FollowActiveWindow() {
    if (QMdiSubWindow* active = area_.activeSubWindow()) {
        if (auto* file = qobject_cast<LSVFileWindow*>(active->widget())) {
            current_ = file;
        }
    }
}

int EditorWorkspace::UntitledIndex() const {
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

LSVFileWindow* EditorWorkspace::AddFileWindow(std::unique_ptr<LSVFileWindow> owned) {
    LSVFileWindow* file = owned.release();
    QMdiSubWindow* window = area_.addSubWindow(file);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowIcon(frame_->windowIcon());
    // A cursor the window moved shows in the fields a moment later, as a drag of the thumb
    // reports many steps.
    connect(file, &LSVFileWindow::positionsChanged, this, [this] { marks_timer_->start(); });
    connect(file, &LSVFileWindow::selectionReported, this,
            [this, file](std::int32_t start, std::int32_t end, std::int32_t cursor) {
                ReportSelection(file, start, end, cursor);
            });
    connect(window, &QMdiSubWindow::windowStateChanged, this,
            [this, window](Qt::WindowStates, Qt::WindowStates now) {
                // The active window's state is the one new windows take.
                if (window == area_.activeSubWindow() && !(now & Qt::WindowMinimized)) {
                    WriteBool("MainWindow", "ChildMaximized", (now & Qt::WindowMaximized) != 0);
                }
            });
    files_.push_back(file);
    emit fileAdded(file);
    PlaceFileWindow(window);
    Activate(file);
    file->ViewWholeDocument();
    return file;
}

void EditorWorkspace::PlaceFileWindow(QMdiSubWindow* window) {
    window->setMinimumSize(window->minimumSizeHint());
    QMdiSubWindow* active = area_.activeSubWindow();
    const bool alone = files_.size() == 1;
    // Three quarters of the area, each window one title bar down and right of the one before, back
    // at the top left when that would leave the area. A maximized window comes back to this place.
    const QRect area = area_.viewport()->rect();
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

void EditorWorkspace::OpenAsNewFile(LCutListAudio audio) {
    auto file = std::make_unique<LSVFileWindow>();
    file->Document().Audio() = std::move(audio);
    file->Document().SetModified(true);
    file->SetUntitledNumber(UntitledIndex());
    AddFileWindow(std::move(file));
}

bool EditorWorkspace::LoadAudio(const std::string& path, LCutListAudio& audio, bool ask_raw_format,
                                LSVFileWindow* target) {
    SVLoadFile load(path, audio, ask_raw_format);
    const ProcessResult result = RunProcess(load, target);
    if (result == PROCESS_FAILED && !load.ErrorShown()) {
        prompts_->Ask(
            {"Error de Archivo",
             "No se puede abrir el archivo \"" + path + "\": " + UnreadableFileReason(path) + ".",
             PromptIcon::kWarning, PromptButtons::kOk});
    }
    return result == PROCESS_DONE;
}

void EditorWorkspace::Forget(LSVFileWindow* file) {
    StopPlaying(file);
    file->SetCloseCheck({});
    emit fileClosing(file);
    files_.erase(std::remove(files_.begin(), files_.end(), file), files_.end());
    if (current_ == file) {
        current_ = files_.empty() ? nullptr : files_.front();
        if (current_ != nullptr) {
            Activate(current_);
        }
    }
    Changed();
}

void EditorWorkspace::StartModifyCurrentFile(const std::string& name) {
    StopPlaying(current_);
    current_->Document().StartModifyCurrentFile(name);
    Changed();
}

void EditorWorkspace::EndModifyCurrentFile(std::int32_t pos, std::int32_t preroll) {
    LSVFileWindow* file = current_;
    // The document plays the result through its callback when the setting is on.
    file->Document().EndModifyCurrentFile(pos, preroll);
    file->RefreshView();
    Changed();
}

void EditorWorkspace::CancelModifyCurrentFile() {
    LSVFileWindow* file = current_;
    file->Document().CancelModifyCurrentFile();
    file->RefreshView();
    Changed();
}

void EditorWorkspace::StopPlaying(LSVFileWindow* file) {
    if (file != nullptr) {
        emit changing(file);
    }
}

void EditorWorkspace::Changed() {
    selection_valid_ = current_ != nullptr && HasValidSelection(current_->Document());
    emit changed();
}

void EditorWorkspace::ModifySelection(std::int32_t start, std::int32_t end, std::int32_t cursor) {
    if (current_ == nullptr) {
        return;
    }
    StoreSelection(*current_, start, end, cursor);
    ApplySelection();
}

void EditorWorkspace::ApplySelection() {
    if (current_ == nullptr) {
        return;
    }
    current_->ShowPositions();
    if (HasValidSelection(current_->Document()) != selection_valid_) {
        Changed();  // the time fields with the menus
    } else {
        emit positionsMoved();
    }
}

void EditorWorkspace::ReportSelection(LSVFileWindow* file, std::int32_t start, std::int32_t end,
                                      std::int32_t cursor) {
    StoreSelection(*file, start, end, cursor);
    if (file != current_) {
        Activate(file);
    }
    // The other view follows the drag at once; the fields and menus when it settles.
    file->ShowPositions();
    marks_timer_->start();
}

}  // namespace sonvara
