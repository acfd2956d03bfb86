#pragma once
// EditorWorkspace: what every room of the editor shares. The open files, one window each in the
// frame's MDI area, in opening order, and the current one (the active window's); the selection
// model of the current file; and the runtime the processes run against (the Qt message loop, the
// progress dialog, the prompts) with the file dialogs the commands ask through.
//
// The rooms hear of the files through signals: a file added (its window placed and made current
// next), a file's document about to change or its window about to close (what plays it stops
// first), and a change the menus, titles and time fields must show. Interface thread only.

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/progress_dialog.h"
#include "editor/common/file_questions.h"
#include "editor/common/qt_runtime.h"

class QMdiArea;
class QMdiSubWindow;
class QTimer;
class QWidget;

namespace sonvara {

class LCutListAudio;
class LSVFileWindow;

class EditorWorkspace : public QObject {
    Q_OBJECT

  public:
    // Files open in `area`; dialogs and messages go over `frame`.
    EditorWorkspace(QWidget& frame, QMdiArea& area);
    ~EditorWorkspace() override;

    QWidget* Frame() const { return frame_; }
    QMdiArea& Area() const { return area_; }

    // The runtime. Questions go to `prompts` from now on (null: the message boxes again), the
    // file dialogs to `questions` (null: Qt's); neither is owned.
    void SetPrompts(Prompts* prompts);
    Prompts& CurrentPrompts() { return *prompts_; }
    void SetQuestions(FileQuestions* questions);
    FileQuestions& Questions() { return *questions_; }
    QtMessageLoop& Loop() { return loop_; }
    QtProgressView& ProgressDialog() { return progress_; }
    // Runs `process` behind the progress dialog; `target`'s window is active again afterwards.
    ProcessResult RunProcess(LProgressDialog& process, LSVFileWindow* target = nullptr);
    ProcessResult RunProcess(const std::function<ProcessResult(ProcessHost&)>& run,
                             LSVFileWindow* target);
    // The one-line text dialog until the text fits a stored name (at most 259 bytes); nothing
    // when cancelled.
    std::optional<std::string> AskName(const QString& title, const QString& prompt,
                                       const QString& proposed);
    // A path from `ask` until it names no file or the user agrees to replace the file it names
    // (No asks again): that path, empty when the user cancels.
    QString AskPathToWrite(const std::function<QString()>& ask);

    // The open files.
    const std::vector<LSVFileWindow*>& Files() const { return files_; }
    LSVFileWindow* CurrentFile() const { return current_; }
    bool IsOpen(const LSVFileWindow* file) const;
    LSVFileWindow* FindOpenFile(const std::string& path) const;
    // Makes `file` the current file and activates its window.
    void Activate(LSVFileWindow* file);
    // The current file is the one whose window is active (a command is for the file the user
    // sees in front).
    void FollowActiveWindow();
    // The lowest number no open untitled file has (1 to 19).
    int UntitledIndex() const;
    // Opens `file` in a window of its own, placed and made current, showing its whole document.
    LSVFileWindow* AddFileWindow(std::unique_ptr<LSVFileWindow> file);
    // A new untitled window holding `audio`, marked modified (it has never been saved), made the
    // current one.
    void OpenAsNewFile(LCutListAudio audio);
    // Loads `path` into `audio` behind the progress dialog, telling the user when it cannot be
    // read; `target`'s window is active again afterwards.
    bool LoadAudio(const std::string& path, LCutListAudio& audio, bool ask_raw_format,
                   LSVFileWindow* target);
    // Takes a closing file out of the list (its window goes by itself); the next file becomes
    // current.
    void Forget(LSVFileWindow* file);

    // The modification pattern of the commands that change the current file's document: stop
    // playback and record an undo point named `name`; then, after the change, put the cursor at
    // `pos`, redraw, and (with "AutoPlaybackAfterEffects") play from `preroll` frames earlier; or,
    // after a cancelled or failed change, take the undo point back with the document as it was.
    void StartModifyCurrentFile(const std::string& name);
    void EndModifyCurrentFile(std::int32_t pos, std::int32_t preroll);
    void CancelModifyCurrentFile();
    // What plays `file`'s document stops: it is about to change.
    void StopPlaying(LSVFileWindow* file);
    // The menus, titles and fields show the files anew.
    void Changed();
    // The current file's cursor moved by itself (playback): the time fields show it.
    void CursorMoved() { emit positionsMoved(); }

    // The selection model of the current file. ModifySelection stores the selection [start, end)
    // and the cursor in its document, within [0, length], and calls ApplySelection, which shows
    // them: the marks and the cursor in both views, the time fields, and the menus when the
    // selection's validity changed. A view's mouse selection is stored and drawn in both views at
    // once, and applied 50 ms later, so that a drag does not rewrite the fields at every step.
    void ModifySelection(std::int32_t start, std::int32_t end, std::int32_t cursor);
    void ApplySelection();

  signals:
    void fileAdded(LSVFileWindow* file);
    // `file`'s window is about to close; it is still in the list.
    void fileClosing(LSVFileWindow* file);
    // `file`'s document is about to change or go.
    void changing(LSVFileWindow* file);
    void changed();
    // The current file's positions moved, with nothing else to show.
    void positionsMoved();

  private:
    // A selection a view of `file` reported: stored and drawn now, applied by the 50 ms timer.
    void ReportSelection(LSVFileWindow* file, std::int32_t start, std::int32_t end,
                         std::int32_t cursor);
    // A new file window's place: maximized while the frame keeps its windows maximized, else
    // down and right of the active one, at a size that shows the waveform.
    void PlaceFileWindow(QMdiSubWindow* window);

    QWidget* frame_;
    QMdiArea& area_;
    QtMessageLoop loop_;
    QtProgressView progress_;
    QtPrompts qt_prompts_;
    Prompts* prompts_;
    FileDialogs file_dialogs_;
    FileQuestions* questions_;
    std::vector<LSVFileWindow*> files_;  // in opening order; owned by their sub-windows
    LSVFileWindow* current_ = nullptr;
    QTimer* marks_timer_;
    bool selection_valid_ = false;  // as the menus were last told
};

}  // namespace sonvara
