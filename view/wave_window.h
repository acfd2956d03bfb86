#pragma once
// LSVWaveWindow: the waveform of one document, one vertical line per pixel column, with the
// position (cursor) and the selection marks. The mouse: a click sets the position and clears the
// marks, a drag sets the marks; Shift and a click (or a drag) extend the marks from their far
// edge, or from the position when there are none, to the pointer; a press within a few pixels of
// either mark (the pointer shows a horizontal resize shape there) drags that mark, and a mark
// dragged past the other swaps with it. Marks are document frames, within [0, data end]. While a
// drag is beyond an edge the owner scrolls the view and the moving mark follows the view's edge.
//
// The column values are computed by a worker thread of the window: the owner asks for a view with
// SetRequest and returns at once; the worker takes the latest request (requests that arrive while
// it computes are merged), applies the view and computes the columns with ComputeWaveColumns. A
// view of the same length as the last one is a scroll: the columns still on screen move and only
// the uncovered ones are computed. The request lock carries the wanted view to the worker; the
// paint lock guards the view, the columns and the marks between the worker and the interface
// thread. Everything else, and every public function, is for the interface thread.
//
// Columns are device pixels: on a screen of twice the density a window 500 pixels wide has about
// 1000 columns. The extremes are drawn as one anti-aliased shape, the loudness (RMS) as a second
// one inside it in a deeper shade, about a centre line; once a frame spans a column or more the
// frames are drawn as a line, with a dot on each frame when they are far enough apart. The
// colours come from WavePalette and follow the desktop's light or dark theme.
//
// Named places are drawn over the wave (wave_window_places.cpp): bookmarks as a line with their
// name in a flag at the top, regions as a shaded span with their name at the bottom. A press on
// a name drags that place; the owner hears where it was let go (placeMoved).
//
// The mouse wheel does not move the view itself: the window tells its owner, which owns the
// view (wheelScrolled, wheelZoomed, wheelVerticalZoom).

#include <QWidget>

class QPainter;
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "core/signal_object.h"
#include "core/thread.h"
#include "document/cut_list_audio.h"
#include "view/columns/wave_columns.h"
#include "view/wave_palette.h"

namespace sonvara {

// What a drag tells the owner about the window's edges.
enum class WaveEdge {
    kBeyondRight = 4,    // the pointer went past the right edge
    kBackFromRight = 5,  // and came back
    kBeyondLeft = 6,     // the pointer went past the left edge
    kBackFromLeft = 7,   // and came back
};

// A named place drawn over the wave: a bookmark at `start`, or a region [start, end).
struct WavePlace {
    std::int32_t start = 0;
    std::int32_t end = 0;
    QString name;
    bool region = false;
    std::size_t id = 0;  // the owner's, given back by placeMoved

    bool operator==(const WavePlace&) const = default;
};

class LSVWaveWindow : public QWidget, private LThread {
    Q_OBJECT

  public:
    explicit LSVWaveWindow(QWidget* parent = nullptr);
    ~LSVWaveWindow() override;

    // Stops a running worker, takes a copy of the document, forgets the view and starts the
    // worker, which waits for the first request. Enables the window.
    void Start(const LCutListAudio& document, const WaveDrawOptions& options);
    // Stops the worker and drops the copy; the window is disabled (drawn gray).
    void Stop();
    // Asks for `length` frames from `start`; the worker shows them soon.
    void SetRequest(std::int32_t start, std::int32_t length);
    void SetPosition(std::int32_t start, std::int32_t width);
    void SetDataEnd(std::int32_t frames);
    void SetMarks(std::int32_t from, std::int32_t to);
    void SetPlaces(std::vector<WavePlace> places);
    const std::vector<WavePlace>& Places() const { return places_; }
    // Where the name of `place` is drawn (its flag), in widget pixels; empty when it is not in
    // view.
    QRectF PlaceLabel(const WavePlace& place) const;

    std::int32_t MarkFrom() const;
    std::int32_t MarkTo() const;
    std::int32_t PositionStart() const { return position_start_; }
    std::int32_t PositionWidth() const { return position_width_; }
    std::int32_t DataEnd() const { return data_end_; }
    // The view applied last and a copy of its columns.
    WaveColumnMapping Mapping() const;
    WaveColumns Columns() const;
    // Waits until the latest request's columns are computed; false when `timeout` passed first
    // or no worker runs.
    bool WaitForColumns(std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;
    // The columns the worker has computed since Start.
    std::int64_t ComputedColumns() const { return computed_columns_.load(); }
    // Columns: the client width less the two border pixels, in device pixels, 1 to
    // kMaxWaveColumns.
    int ColumnCount() const;
    // The pixel x of the left edge of column `column` (fractional on a dense screen).
    double ColumnX(double column) const;
    // The column under pixel x.
    int ColumnAt(double x) const;
    // The frame under pixel x, not limited to the data (fractional).
    double FrameAtX(double x) const;
    const WaveDrawOptions& Options() const { return options_; }
    std::int32_t SampleRate() const { return document_.GetSampleRate(); }

  signals:
    // A click (button released) set the position.
    void positionSet(std::int32_t frame);
    // The marks changed during a drag, at its end, or while the view scrolled under a drag that
    // is beyond an edge (the mark at that edge follows the view).
    void marksChanged(std::int32_t from, std::int32_t to);
    // A drag went beyond an edge or came back (a WaveEdge value).
    void dragEdge(int edge);
    // The worker finished a request.
    void columnsReady();
    // The wheel asks to move the view by `views` view lengths (negative: toward the start).
    void wheelScrolled(double views);
    // Ctrl and the wheel ask for a view `factor` times as long in which `anchor` (the frame
    // under the pointer) stays under the pointer.
    void wheelZoomed(double anchor, double factor);
    // Shift and the wheel ask for the taller (true) or the normal drawing.
    void wheelVerticalZoom(bool taller);
    // A place was dragged by its name and let go with its start at `start` (within the data).
    void placeMoved(bool region, std::size_t id, std::int32_t start);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    struct Request {
        std::int32_t start = 0;
        std::int32_t length = 0;
        int width = 0;
        std::uint64_t serial = 0;
    };
    struct ColumnRange {
        int from = 0;
        int to = 0;
    };

    void ThreadFunction() override;
    void StopWorker();
    // Under the paint lock: takes the view of `request` and tells which columns need computing.
    ColumnRange ApplyView(const Request& request);
    void SendRequest();
    std::int32_t FrameAt(int x) const;
    void PaintWave(QPainter& painter, const WavePalette& colours, double mid, double scale,
                   int data_first, int data_last) const;
    void PaintSamples(QPainter& painter, const WavePalette& colours, double mid,
                      double scale) const;
    // Under a drag: the marks from the fixed end to `frame`, told to the owner.
    void ApplyDrag(std::int32_t frame);
    void SetEdge(int edge);
    // The mark that stays when a press at pixel x grabs the other one, if x is near a mark shown.
    std::optional<std::int32_t> FixedMarkForGrab(double x) const;
    // The fixed end of a Shift-click at `frame`: the farther mark, or the position without marks.
    std::int32_t ExtensionAnchor(std::int32_t frame) const;
    // The horizontal resize shape over a mark that a press would grab, the arrow elsewhere.
    void ShowPointerShape(double x);
    void PaintPlaces(QPainter& painter, const QRectF& inside) const;
    // The place whose name is under `point`, as an index into places_.
    std::optional<std::size_t> PlaceAt(QPointF point) const;
    // A press on a place's name starts dragging it; false when there is none there.
    bool StartPlaceDrag(QPointF point);
    void MovePlaceDrag(double x);
    void EndPlaceDrag();

    // The worker's own, set before it starts.
    LCutListAudio document_;
    WaveDrawOptions options_;
    std::atomic<bool> stop_columns_{false};
    bool started_ = false;

    // Request lock: the wanted view and the last one handled.
    mutable std::mutex request_lock_;
    mutable std::condition_variable handled_changed_;
    LSignalObject request_event_;
    Request wanted_;
    std::uint64_t handled_serial_ = 0;
    std::uint64_t next_serial_ = 0;

    // Paint lock: the applied view, its columns and the marks.
    mutable std::mutex paint_lock_;
    WaveColumnMapping mapping_;
    WaveColumns columns_;
    WaveSamples samples_;  // the frames of a view that DrawsSamples
    std::int32_t mark_from_ = 0;
    std::int32_t mark_to_ = 0;
    std::int32_t drag_origin_ = 0;  // the fixed end of the marks under a drag
    std::atomic<int> edge_{0};      // 0, or WaveEdge::kBeyondRight or kBeyondLeft during a drag

    std::atomic<std::int64_t> computed_columns_{0};
    std::int32_t request_start_ = 0;
    std::int32_t request_length_ = 0;
    std::int32_t position_start_ = 0;
    std::int32_t position_width_ = 0;
    std::int32_t data_end_ = 0;
    bool dragging_ = false;
    bool grabbed_mark_ = false;  // the drag moves a mark that was there before the press
    bool moved_ = false;         // the pointer moved since the press
    std::vector<WavePlace> places_;
    std::optional<std::size_t> dragged_place_;
    double place_grab_offset_ = 0;  // frames from the place's start to the pointer at the press
};

}  // namespace sonvara
