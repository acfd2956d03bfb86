#pragma once
// MainDialog: the editor's frame ("LMMWC"). It keeps the MDI area with one LSVFileWindow per
// open file, the menus, tool bar and file-window context menu built from the command table,
// and the status bar with the four time fields. The commands live in the rooms (EditorRooms):
// the frame runs a command's row on them for the file whose window is active, then shows the
// menus' enabling anew. Files dropped on the frame or handed over by a second start open; a
// key bound to a macro runs the macro's commands. Interface thread only.

#include <QMainWindow>
#include <QRect>
#include <QStringList>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "editor/frame/command_table.h"

class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class QTimer;
class QToolBar;

namespace sonvara {

class LDBDisplay;
class LSVFileWindow;
class WaveOutProvider;

// The time fields of the status bar, in their order there.
enum class TimeField { kSelectionStart, kSelectionEnd, kSelectionLength, kCursor };

// `frame` moved and cut so that it lies inside `desktop`.
QRect ClipToDesktop(QRect frame, const QRect& desktop);

class MainDialog : public QMainWindow {
    Q_OBJECT

  public:
    // Plays on the system's outputs.
    MainDialog();
    // Plays on `outputs`.
    explicit MainDialog(std::unique_ptr<WaveOutProvider> outputs);
    ~MainDialog() override;

    const EditorRooms& Rooms() const { return *rooms_; }

    QAction* Action(int command) const;
    QToolBar* ToolBar() const { return tool_bar_; }
    QMdiArea* MdiArea() const { return mdi_; }
    // The window menu's entries for the open windows, in opening order, as it shows them.
    std::vector<QAction*> WindowListActions();
    // The recent-file entries of the file menu, in menu order.
    std::vector<QAction*> RecentFileActions() const;
    QString StatusText() const;
    // The text a time field shows; refreshed every 500 ms and shortly after a view's marks moved.
    QString TimeFieldText(TimeField field) const;
    // The tool bar's level meter, showing the levels of the sound heard.
    LDBDisplay* LevelMeter() const { return meter_; }

    // Shows the frame maximized or at its stored place ("MainWindow" in the settings).
    void ShowPlaced();
    // A second start handed over `paths` (perhaps none): the frame comes to the front, restored
    // when minimized, and opens the files.
    void OpenHandedOver(const QStringList& paths);
    // Runs the first macro bound to `key` (a key value), each command to its end before the
    // next; false when no macro is bound to it. Key presses in the frame come here before its
    // own keys, so a macro wins over a built-in key.
    bool ProcessMacroKeyDown(std::uint32_t key);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // The macro keys, then the transport's keys, which act on press and release.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Controllers;

    // A key press or shortcut check in the frame bound to a macro: the macro runs at the first
    // press, a held key's repeats do nothing, and no shortcut sees the key. False for other keys.
    bool FilterMacroKey(QObject* watched, QEvent* event);
    // The menus, the tool bar and the frame's own keys, from the command table.
    void BuildCommands();
    // The held buttons of the winds on the tool bar.
    void AddHeldButton(const Command& command);
    void BuildStatusFields();
    // Runs command `id` on the file whose window is active.
    void Dispatch(int id);
    // The enabling, checks and texts of the commands, the windows' titles, the status bar.
    void EnableMenuOptions();
    void UpdateTimeFields();
    // The file's window title: its name, with "*" while it is modified.
    void UpdateTitle(LSVFileWindow* file);
    // The commands of the file window's context menu on a new file's window.
    void AddContextMenu(LSVFileWindow* file);
    void RebuildWindowMenu();
    void RebuildRecentMenu();
    void PlaceFrame();
    QRect DesktopRect() const;

    QMdiArea* mdi_;
    QLabel* status_;
    QLabel* time_fields_[4] = {nullptr, nullptr, nullptr, nullptr};
    std::unique_ptr<Controllers> controllers_;
    std::unique_ptr<EditorRooms> rooms_;
    std::map<int, QAction*> actions_;
    QMenu* file_menu_ = nullptr;
    QMenu* window_menu_ = nullptr;
    QMenu* effects_menu_ = nullptr;
    QToolBar* tool_bar_ = nullptr;
    LDBDisplay* meter_ = nullptr;
    std::vector<QAction*> window_actions_;  // the open windows' entries and their separator
    std::vector<QAction*> recent_actions_;  // the entries and their separator
};

}  // namespace sonvara
