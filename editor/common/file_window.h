#pragma once
// LSVFileWindow: one open file (path, the path before the last save under a new name, untitled
// number, the edit document with its positions and modified flag) and the child window that
// shows it: an overview strip of the whole document on top, a bar with the scroll bar and the
// zoom and display buttons, and the main view of the zoomed stretch. The frame owns these windows
// through its MDI area. Interface thread only.

#include <QWidget>
#include <functional>
#include <string>

#include "document/crash_recovery.h"
#include "document/edit_document.h"
#include "view/columns/view_range.h"
#include "view/columns/wave_columns.h"

class QToolButton;
class QScrollBar;
class QTimer;

namespace sonvara {

class LSVWaveWindow;
class LSVWavePane;

class LSVFileWindow : public QWidget {
    Q_OBJECT

  public:
    explicit LSVFileWindow(QWidget* parent = nullptr);

    LEditDocument& Document() { return document_; }
    const LEditDocument& Document() const { return document_; }
    const std::string& Path() const { return path_; }
    void SetPath(const std::string& path) { path_ = path; }
    const std::string& PreviousPath() const { return previous_path_; }
    void SetPreviousPath(const std::string& path) { previous_path_ = path; }
    int UntitledNumber() const { return untitled_number_; }
    void SetUntitledNumber(int number) { untitled_number_ = number; }
    bool IsModified() const { return document_.IsModified(); }

    // The path without its folder, or "Sin título %d" for an untitled file.
    std::string DisplayName() const;
    // Brings the recovery file up to date: the document while it is modified, none once saved.
    // The file goes with the window.
    void KeepRecoveryFile();

    // Starts the views on the document and shows all of it (one second when it is empty).
    void ViewWholeDocument();
    // Redraws the document after its content changed, keeping the view inside the new length.
    void RefreshView();
    LSVWaveWindow* WaveView() const { return wave_; }
    // The main view with its time ruler and level scale.
    LSVWavePane* WavePane() const { return pane_; }
    LSVWaveWindow* Overview() const { return overview_; }
    QScrollBar* ScrollBar() const { return scroll_; }
    // The bar's buttons, in order: zoom out, zoom in, zoom to the selection, to the whole file,
    // vertical zoom and the two display modes; each with a short label, an icon and a tool tip.
    QToolButton* Button(int index) const { return buttons_[index]; }
    static constexpr int kButtons = 7;
    static constexpr int kMinimumWidth = 240;

    // Room for the overview, the bar and 100 pixels of the main view.
    QSize minimumSizeHint() const override;

    ViewRange View() const;
    bool VerticalZoom() const { return options_.vertical_zoom; }
    WaveDisplayMode DisplayMode() const { return options_.mode; }

  public slots:
    void ZoomIn();
    void ZoomOut();
    void ZoomSelection();
    void ZoomWhole();
    void ToggleVerticalZoom();
    void SetDisplayMode(WaveDisplayMode mode);
    // The user selected [from, to), as a drag in a view does: reported to the owner
    // (selectionReported), which stores the selection in the document and shows it.
    void SetSelection(std::int32_t from, std::int32_t to);
    // Both views draw the document's selection and cursor.
    void ShowPositions();
    // Puts the cursor at `frame` (within the document) and moves the view to show it.
    void MoveCursor(std::int32_t frame);
    // The play cursor at `frame`: both views draw it there, and the main view turns a page when
    // it leaves the view. Tells no one: the frame follows playback itself.
    void FollowPlayCursor(std::int32_t frame);

    // Asked when the window is about to close; false keeps it open.
    void SetCloseCheck(std::function<bool(LSVFileWindow*)> check) {
        close_check_ = std::move(check);
    }

  signals:
    // The window moved the document's cursor itself (a scroll-bar step, MoveCursor).
    void positionsChanged();
    // A view reports a selection or a click, in frames; the owner keeps them within the document.
    void selectionReported(std::int32_t start, std::int32_t end, std::int32_t cursor);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // Restarts both views on the document (its content or the drawing options changed).
    void SendView();
    // Asks the main view for the current range.
    void SendRange();
    // A drag beyond an edge of the main view scrolls it that way until the pointer comes back.
    void DragEdge(int edge);
    void AutoScroll();
    // Every change of the main view's range goes through here: the range is clamped, stored and
    // requested, the thumb shows it, and both views draw the document's cursor and marks anew.
    void SetView(ViewRange view);
    void ShowThumb();
    void ShowMarks(std::int32_t from, std::int32_t to);
    void ShowCursor(std::int32_t frame);
    void ScrollAction(int action);
    void LayOutBar(int top);

    LEditDocument document_;
    LRecoveryJournal journal_;
    std::string path_;
    std::string previous_path_;
    int untitled_number_ = 0;
    WaveDrawOptions options_;
    LSVWaveWindow* overview_;
    LSVWavePane* pane_;
    LSVWaveWindow* wave_;
    QScrollBar* scroll_;
    QToolButton* buttons_[kButtons];
    QTimer* auto_scroll_;
    int auto_scroll_direction_ = 0;  // -1 left, 1 right, 0 still
    std::function<bool(LSVFileWindow*)> close_check_;
};

}  // namespace sonvara
