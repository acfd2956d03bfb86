#pragma once
// MainDialog: the editor's frame ("LMMWC"): the MDI area with one LSVFileWindow per open file,
// the file commands, the view, selection, window and conversion commands, the status field with
// the four time fields, and the runtime the processes run against (the Qt message
// loop, the progress dialog and the prompts). Every menu action carries its command id in the
// "commandId" property; only commands that are built appear in the menus.
//
// The file dialogs are virtual so that a test can answer them; the prompts can be replaced for
// the same reason. Interface thread only.

#include <QMainWindow>
#include <QRect>
#include <QStringList>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/qt_runtime.h"
#include "codecs/load_save.h"
#include "core/progress_dialog.h"

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTimer;

namespace sonvara {

class LSVFileWindow;

enum CommandId : int {
    kCmNew = 1001,
    kCmOpen = 1002,
    kCmClose = 1003,
    kCmSave = 1004,
    kCmSaveAs = 1005,
    kCmConvertSampleRate = 1006,
    kCmMono = 1007,
    kCmStereo = 1008,
    kCmExit = 1048,
    kCmRecentFirst = 1050,  // to 1060: recent file 1 to 11
    kCmRecentSeparator = 1061,
    kCmSelectAll = 2007,
    kCmSelectToStart = 2022,
    kCmSelectToEnd = 2023,
    kCmStart = 3007,
    kCmEnd = 3010,
    kCmZoomIn = 5001,
    kCmZoomOut = 5002,
    kCmZoomSelection = 5003,
    kCmZoomWhole = 5004,
    kCmZoomVertical = 5005,
    kCmDisplayPosNeg = 5007,
    kCmDisplayLeftRight = 5008,
    kCmCascade = 5009,
    kCmTileHorizontal = 5010,
    kCmTileVertical = 5011,
    kCmArrangeIcons = 5012,
    kCmCloseAll = 5040,
};

// The time fields of the status bar, in their order there.
enum class TimeField { kSelectionStart, kSelectionEnd, kSelectionLength, kCursor };

// `frame` moved and cut so that it lies inside `desktop`.
QRect ClipToDesktop(QRect frame, const QRect& desktop);

class MainDialog : public QMainWindow {
    Q_OBJECT

  public:
    explicit MainDialog(QWidget* parent = nullptr);
    ~MainDialog() override;

    // Questions go to `prompts` from now on (null: the message boxes again). Not owned.
    void SetPrompts(Prompts* prompts);
    Prompts& CurrentPrompts() { return *prompts_; }
    QtProgressView& ProgressDialog() { return progress_; }

    QAction* Action(int command) const;
    const std::vector<LSVFileWindow*>& Files() const { return files_; }
    LSVFileWindow* CurrentFile() const { return current_; }
    QMdiArea* MdiArea() const { return mdi_; }
    QString StatusText() const;
    // The text a time field shows; refreshed every 500 ms and shortly after a view's marks moved.
    QString TimeFieldText(TimeField field) const;
    // The recent-file entries of the file menu, in menu order.
    std::vector<QAction*> RecentFileActions() const;

    // Shows the frame maximized or at its stored place ("MainWindow" in the settings).
    void ShowPlaced();

    // Opens `paths` in order as the open command does after its dialog.
    void OpenFiles(const QStringList& paths);
    // A second start handed over `path` (or nothing): the frame comes to the front, restored
    // when minimized, and opens the file.
    void OpenHandedOver(const QString& path);
    // Makes `file` the current file and activates its window.
    void Activate(LSVFileWindow* file);

  public slots:
    void CmNew();
    void CmOpen();
    bool CmSave();
    bool CmSaveAs();
    bool CmClose();
    bool CmCloseAll();
    void CmConvertSampleRate();
    void CmConvertChannel(int channels);
    void CmSelectAll();
    void CmSelectToStart();
    void CmSelectToEnd();
    void CmStart();
    void CmEnd();

  protected:
    // The open dialog: the chosen files, none when cancelled.
    virtual QStringList AskOpenFiles();
    // The save dialog: the chosen path, empty when cancelled.
    virtual QString AskSaveAsPath(const QString& current);

    void closeEvent(QCloseEvent* event) override;

  private:
    void PlaceFrame();
    QRect DesktopRect() const;
    void BuildMenus();
    void BuildViewMenus();
    void BuildStatusFields();
    void UpdateTimeFields();
    // Shift+Home and Shift+End: the cursor goes to the start or the end and the selection runs
    // from where the cursor was to there.
    void SelectWithCursorTo(bool to_end);
    // Runs a conversion of the current file's document as an undoable change; a cancelled or
    // failed conversion takes the undo point back.
    void ConvertCurrentFile(const std::string& name, std::int32_t rate, int channels);
    void RebuildRecentMenu();
    QAction* AddCommand(QMenu* menu, int id, const QString& text);
    bool LoadFile(const std::string& path, bool ask_raw_format);
    LSVFileWindow* AddFileWindow(std::unique_ptr<LSVFileWindow> file);
    ProcessResult RunProcess(LProgressDialog& process);
    bool SaveFile(LSVFileWindow* file, SaveMode mode);
    bool SaveAs(LSVFileWindow* file);
    // Asks whether to save a modified file; false when the user cancelled.
    bool SaveChanges(LSVFileWindow* file);
    // The close check of a file window: asks unless the question was answered already.
    bool ApproveClose(LSVFileWindow* file);
    void Forget(LSVFileWindow* file);
    int UntitledIndex() const;
    void EnableMenuOptions();
    void SetWindowCaption();
    LSVFileWindow* FindOpenFile(const std::string& path) const;

    QMdiArea* mdi_;
    QLabel* status_;
    QLabel* time_fields_[4] = {nullptr, nullptr, nullptr, nullptr};
    QTimer* time_timer_ = nullptr;
    QTimer* marks_timer_ = nullptr;
    QtMessageLoop loop_;
    QtProgressView progress_;
    QtPrompts qt_prompts_;
    Prompts* prompts_;
    std::map<int, QAction*> actions_;
    QMenu* file_menu_ = nullptr;
    std::vector<QAction*> recent_actions_;  // the entries and their separator
    std::vector<LSVFileWindow*> files_;     // in opening order; owned by their sub-windows
    LSVFileWindow* current_ = nullptr;
    std::vector<LSVFileWindow*> approved_;  // closes whose question was answered already
};

}  // namespace sonvara
