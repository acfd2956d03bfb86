#include "view/wave_window.h"

#include <QMetaObject>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace sonvara {
namespace {

constexpr auto kStopTimeout = std::chrono::milliseconds(5000);

// A wheel notch (120 eighths of a degree) scrolls a tenth of the view, or zooms by 1.25.
constexpr double kNotch = 120.0;
constexpr double kScrollPerNotch = 0.1;
constexpr double kZoomPerNotch = 1.25;
// Frames are dotted once they lie this many device pixels apart.
constexpr double kDotSpacing = 6.0;
// A press this many pixels or fewer from a mark grabs it.
constexpr double kGrabPixels = 4.0;

}  // namespace

LSVWaveWindow::LSVWaveWindow(QWidget* parent) : QWidget(parent) {
    setObjectName("LSVWaveWindow");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(40, 30);
    // For the resize shape over a mark.
    setMouseTracking(true);
    setEnabled(false);
}

LSVWaveWindow::~LSVWaveWindow() {
    StopWorker();
}

int LSVWaveWindow::ColumnCount() const {
    const double columns = std::round((width() - 2) * devicePixelRatioF());
    return std::clamp(static_cast<int>(columns), 1, kMaxWaveColumns);
}

double LSVWaveWindow::ColumnX(double column) const {
    return 1.0 + column / devicePixelRatioF();
}

int LSVWaveWindow::ColumnAt(double x) const {
    return static_cast<int>(std::floor((x - 1.0) * devicePixelRatioF()));
}

double LSVWaveWindow::FrameAtX(double x) const {
    const WaveColumnMapping mapping = Mapping();
    if (!mapping.HasView()) {
        return 0;
    }
    return ((x - 1.0) * devicePixelRatioF() + mapping.First()) / mapping.Scale();
}

void LSVWaveWindow::StopWorker() {
    stop_columns_ = true;
    StopThreadTimed(kStopTimeout);
    stop_columns_ = false;
}

void LSVWaveWindow::Start(const LCutListAudio& document, const WaveDrawOptions& options) {
    StopWorker();
    document_ = document;
    options_ = options;
    {
        std::lock_guard lock(request_lock_);
        wanted_ = {};
        handled_serial_ = next_serial_;
        request_event_.Reset();
    }
    {
        std::lock_guard lock(paint_lock_);
        mapping_ = {};
        columns_ = {};
    }
    computed_columns_ = 0;
    request_start_ = 0;
    request_length_ = 0;
    started_ = true;
    setEnabled(true);
    LThread::Start(ThreadPriority::kLowest);
    update();
}

void LSVWaveWindow::Stop() {
    StopWorker();
    document_ = LCutListAudio();
    started_ = false;
    setEnabled(false);
    update();
}

void LSVWaveWindow::SetRequest(std::int32_t start, std::int32_t length) {
    request_start_ = start;
    request_length_ = length;
    SendRequest();
}

void LSVWaveWindow::SendRequest() {
    if (!started_) {
        return;
    }
    std::lock_guard lock(request_lock_);
    wanted_ = {request_start_, request_length_, ColumnCount(), ++next_serial_};
    request_event_.Signal();
}

bool LSVWaveWindow::WaitForColumns(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(request_lock_);
    if (!started_) {
        return false;
    }
    return handled_changed_.wait_for(lock, timeout,
                                     [this] { return handled_serial_ == next_serial_; });
}

WaveColumnMapping LSVWaveWindow::Mapping() const {
    std::lock_guard lock(paint_lock_);
    return mapping_;
}

WaveColumns LSVWaveWindow::Columns() const {
    std::lock_guard lock(paint_lock_);
    return columns_;
}

std::int32_t LSVWaveWindow::MarkFrom() const {
    std::lock_guard lock(paint_lock_);
    return mark_from_;
}

std::int32_t LSVWaveWindow::MarkTo() const {
    std::lock_guard lock(paint_lock_);
    return mark_to_;
}

void LSVWaveWindow::SetPosition(std::int32_t start, std::int32_t width) {
    if (start == position_start_ && width == position_width_) {
        return;
    }
    // A cursor alone (a play cursor moving many times a second) repaints only the columns it
    // leaves and enters.
    const bool cursor_only = width == 0 && position_width_ == 0;
    const std::int32_t old_start = position_start_;
    position_start_ = start;
    position_width_ = width;
    if (!cursor_only) {
        update();
        return;
    }
    const WaveColumnMapping mapping = Mapping();
    if (!mapping.HasView()) {
        update();
        return;
    }
    const int columns = mapping.Width();
    for (const std::int32_t frame : {old_start, start}) {
        const int column = std::min(mapping.ColumnOf(frame), columns - 1);
        if (column >= 0) {
            const int x = static_cast<int>(std::floor(ColumnX(column)));
            update(QRect(x - 1, 0, 3, height()));
        }
    }
}

void LSVWaveWindow::SetDataEnd(std::int32_t frames) {
    data_end_ = frames;
    update();
}

void LSVWaveWindow::SetMarks(std::int32_t from, std::int32_t to) {
    {
        std::lock_guard lock(paint_lock_);
        mark_from_ = from;
        mark_to_ = to;
    }
    update();
}

void LSVWaveWindow::ThreadFunction() {
    Request handled;
    WaveColumns scratch;
    while (!IsToStop()) {
        Request request;
        {
            std::lock_guard lock(request_lock_);
            request_event_.Reset();
            request = wanted_;
        }
        if (request.serial == handled.serial) {
            request_event_.WaitSignalDual(*this, std::chrono::milliseconds(1000));
            continue;
        }
        ColumnRange range;
        WaveColumnMapping mapping;
        bool marks_moved = false;
        std::int32_t from_mark = 0;
        std::int32_t to_mark = 0;
        {
            std::lock_guard lock(paint_lock_);
            range = ApplyView(request);
            mapping = mapping_;
            // Under a drag beyond an edge, the moving end of the marks follows the view's edge.
            const int edge = edge_.load();
            if (edge != 0 && mapping_.HasView()) {
                const std::int64_t at = edge == static_cast<int>(WaveEdge::kBeyondLeft)
                                            ? mapping_.FrameOf(0)
                                            : mapping_.FrameOf(mapping_.Width());
                const auto frame = static_cast<std::int32_t>(
                    std::clamp<std::int64_t>(at, 0, document_.GetLength()));
                mark_from_ = std::min(drag_origin_, frame);
                mark_to_ = std::max(drag_origin_, frame);
                marks_moved = true;
                from_mark = mark_from_;
                to_mark = mark_to_;
            }
        }
        if (range.from < range.to && mapping.HasView()) {
            ComputeWaveColumns(document_, mapping, range.from, range.to, options_, scratch,
                               &stop_columns_);
            if (IsToStop()) {
                break;
            }
            std::lock_guard lock(paint_lock_);
            columns_.CopyFrom(scratch, range.from, range.to);
            computed_columns_ += range.to - range.from;
        }
        {
            // Few frames, read whole at every request: a scroll of a view this close is cheap.
            WaveSamples samples = ReadWaveSamples(document_, mapping);
            std::lock_guard lock(paint_lock_);
            samples_ = std::move(samples);
        }
        handled = request;
        QMetaObject::invokeMethod(
            this,
            [this, marks_moved, from_mark, to_mark] {
                update();
                if (marks_moved) {
                    emit marksChanged(from_mark, to_mark);
                }
                emit columnsReady();
            },
            Qt::QueuedConnection);
        {
            std::lock_guard lock(request_lock_);
            handled_serial_ = request.serial;
        }
        handled_changed_.notify_all();
    }
}

LSVWaveWindow::ColumnRange LSVWaveWindow::ApplyView(const Request& request) {
    const WaveColumnMapping old = mapping_;
    mapping_ = WaveColumnMapping(request.start, request.length, request.width);
    const int width = mapping_.Width();
    if (!mapping_.HasView()) {
        return {0, 0};
    }
    if (!old.HasView() || old.Length() != mapping_.Length() || old.Width() != width) {
        return {0, width};
    }
    // A scroll: the columns move by the difference of the first columns; those still on screen
    // keep their values.
    const int shift = old.First() - mapping_.First();
    if (shift == 0) {
        return {0, 0};
    }
    if (std::abs(shift) >= width) {
        return {0, width};
    }
    columns_.Shift(shift, width);
    // One column more than uncovered: the column at the seam may have been cut short before.
    if (shift > 0) {
        return {0, std::min(shift + 1, width)};
    }
    return {std::max(width + shift - 1, 0), width};
}

void LSVWaveWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (Mapping().Width() != ColumnCount() && request_length_ > 0) {
        SendRequest();
    }
}

void LSVWaveWindow::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (!started_) {
        painter.fillRect(event->rect(), palette().color(QPalette::Disabled, QPalette::Window));
        return;
    }
    const WavePalette colours = WavePalette::For(*this);
    const QRectF inside(1, 1, width() - 2, height() - 2);

    bool columns_changed = false;
    {
        std::lock_guard lock(request_lock_);
        columns_changed = wanted_.width != ColumnCount();
    }
    if (columns_changed && request_length_ > 0) {
        // The window moved to a screen of another density: ask for its columns, once.
        QMetaObject::invokeMethod(
            this, [this] { SendRequest(); }, Qt::QueuedConnection);
    }
    std::lock_guard lock(paint_lock_);
    const int columns = mapping_.Width();
    const double mid = 1.0 + inside.height() / 2.0;
    // Value 255 is half the height.
    const double scale = inside.height() / 2.0 / 256.0;
    const int data_first = std::max(mapping_.ColumnOf(0), 0);
    const int data_last = mapping_.HasView() ? mapping_.ColumnOf(data_end_) : -1;
    auto span = [&](int from, int to) {
        return QRectF(QPointF(ColumnX(from), inside.top()), QPointF(ColumnX(to), inside.bottom()));
    };

    // Backgrounds: the data, what lies beyond it, the marks, a position range.
    painter.fillRect(inside, colours.outside);
    if (mapping_.HasView() && data_last >= data_first) {
        painter.fillRect(span(data_first, std::min(data_last + 1, columns)), colours.background);
        const int marks_first = mapping_.ColumnOf(mark_from_);
        const int marks_last = mapping_.ColumnOf(mark_to_);
        if (marks_last > marks_first) {
            painter.fillRect(span(std::max(marks_first, 0), marks_last), colours.selection);
        }
        const int position_first = mapping_.ColumnOf(position_start_);
        const int position_last =
            mapping_.ColumnOf(static_cast<std::int64_t>(position_start_) + position_width_);
        if (position_last > position_first) {
            painter.fillRect(span(std::max(position_first, 0), position_last), colours.position);
        }
    }
    painter.setPen(QPen(colours.centre, 0));
    painter.drawLine(QPointF(inside.left(), mid), QPointF(inside.right(), mid));

    if (mapping_.HasView()) {
        painter.setRenderHint(QPainter::Antialiasing, true);
        if (DrawsSamples(mapping_) && options_.mode != WaveDisplayMode::kPeakMagnitude) {
            PaintSamples(painter, colours, mid, scale);
        } else {
            PaintWave(painter, colours, mid, scale, data_first, std::min(data_last + 1, columns));
        }
        painter.setRenderHint(QPainter::Antialiasing, false);
        // The cursor: one pixel wide at its column (the last column when it is the data end).
        const int position = mapping_.ColumnOf(position_start_);
        if (position >= 0) {
            const int cursor = position >= columns ? columns - 1 : position;
            painter.fillRect(QRectF(std::floor(ColumnX(cursor)), inside.top(), 1, inside.height()),
                             colours.cursor);
        }
    }
    if (mapping_.HasView()) {
        PaintPlaces(painter, inside);
    }
    painter.setPen(QPen(colours.frame, 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(0.5, 0.5, width() - 1, height() - 1));
}

void LSVWaveWindow::PaintWave(QPainter& painter, const WavePalette& colours, double mid,
                              double scale, int first, int end) const {
    if (end <= first) {
        return;
    }
    const double hairline = 0.5 / devicePixelRatioF();
    // Upper and lower edges of a shape; each edge point is the middle of its column, and the
    // outermost points reach the outer edges of their columns.
    auto shape = [&](auto top_of, auto bottom_of) {
        QPolygonF polygon;
        polygon.reserve(2 * (end - first));
        for (int c = first; c < end; ++c) {
            polygon.append(QPointF(ColumnX(c + 0.5), mid - top_of(static_cast<std::size_t>(c))));
        }
        for (int c = end - 1; c >= first; --c) {
            polygon.append(QPointF(ColumnX(c + 0.5), mid - bottom_of(static_cast<std::size_t>(c))));
        }
        polygon.first().setX(ColumnX(first));
        polygon[end - first - 1].setX(ColumnX(end));
        polygon[end - first].setX(ColumnX(end));
        polygon.last().setX(ColumnX(first));
        return polygon;
    };
    const WaveColumns& v = columns_;
    // Each column's span reaches its left neighbour's, so a wave whose columns lie all above or
    // all below the middle stays one connected shape.
    std::vector<int> high(v.high.begin(), v.high.begin() + end);
    std::vector<int> low(v.low.begin(), v.low.begin() + end);
    for (int c = first + 1; c < end; ++c) {
        const auto i = static_cast<std::size_t>(c);
        high[i] = std::max(high[i], static_cast<int>(v.low[i - 1]));
        low[i] = std::min(low[i], static_cast<int>(v.high[i - 1]));
    }
    // Heights above the middle; a column keeps at least a hairline, so silence shows as a line.
    auto peak_top = [&](std::size_t i) {
        return std::max(high[i] * scale, low[i] * scale + 2 * hairline);
    };
    auto peak_bottom = [&](std::size_t i) { return low[i] * scale; };
    painter.setPen(Qt::NoPen);
    painter.setBrush(colours.peak);
    painter.drawPolygon(shape(peak_top, peak_bottom));
    // The loudness lies about the middle, within the extremes (a column that does not reach
    // the middle, in a close view of a slow wave, shows it as a line at its nearer edge).
    auto rms_top = [&](std::size_t i) {
        return std::clamp<double>(v.rms_upper[i], v.low[i], v.high[i]) * scale;
    };
    auto rms_bottom = [&](std::size_t i) {
        return std::clamp<double>(-v.rms_lower[i], v.low[i], v.high[i]) * scale;
    };
    painter.setBrush(colours.rms);
    painter.drawPolygon(shape(rms_top, rms_bottom));
}

void LSVWaveWindow::PaintSamples(QPainter& painter, const WavePalette& colours, double mid,
                                 double scale) const {
    const int channels = samples_.channels;
    const std::int64_t frames = samples_.Frames();
    if (frames == 0) {
        return;
    }
    const bool left_right = options_.mode == WaveDisplayMode::kLeftRight && channels == 2;
    // Sample values on the columns' scale: 255 at half the height.
    const double unit = scale / static_cast<double>(1 << (options_.vertical_zoom ? 8 : 11));
    const double top = 1.0;
    const double bottom = height() - 1.0;
    const double spacing = mapping_.Scale();  // columns between two frames
    const bool dots = spacing >= kDotSpacing;
    const double radius = 2.0;
    for (int ch = 0; ch < channels; ++ch) {
        QPolygonF line;
        line.reserve(static_cast<int>(frames));
        for (std::int64_t f = 0; f < frames; ++f) {
            const double value =
                samples_.values[static_cast<std::size_t>(f * channels + ch)] * unit;
            // Left/right shows each channel's magnitude, the left one up, the right one down.
            const double y = left_right ? (ch == 0 ? mid - std::abs(value) : mid + std::abs(value))
                                        : mid - value;
            const double column =
                static_cast<double>(samples_.first + f) * mapping_.Scale() - mapping_.First();
            line.append(QPointF(ColumnX(column), std::clamp(y, top, bottom)));
        }
        const QColor colour = ch == 0 ? colours.rms : colours.peak;
        // A hairline (one device pixel) takes Qt's fast path; a dense zigzag stroked wider costs
        // hundreds of milliseconds. Frames far apart get a stronger line.
        painter.setPen(dots ? QPen(colour, 1.5) : QPen(colour, 0));
        painter.setBrush(Qt::NoBrush);
        painter.drawPolyline(line);
        if (dots) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(colour);
            for (const QPointF& point : line) {
                painter.drawEllipse(point, radius, radius);
            }
        }
    }
}

std::int32_t LSVWaveWindow::FrameAt(int x) const {
    const WaveColumnMapping mapping = Mapping();
    if (!mapping.HasView()) {
        return 0;
    }
    const int column = std::clamp(ColumnAt(x), 0, mapping.Width());
    const std::int64_t frame = mapping.FrameOf(column);
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(frame, 0, data_end_));
}

void LSVWaveWindow::ApplyDrag(std::int32_t frame) {
    std::int32_t from = 0;
    std::int32_t to = 0;
    {
        std::lock_guard lock(paint_lock_);
        mark_from_ = from = std::min(drag_origin_, frame);
        mark_to_ = to = std::max(drag_origin_, frame);
    }
    update();
    emit marksChanged(from, to);
}

void LSVWaveWindow::SetEdge(int edge) {
    const int was = edge_.exchange(edge);
    if (was == edge) {
        return;
    }
    if (was == static_cast<int>(WaveEdge::kBeyondRight)) {
        emit dragEdge(static_cast<int>(WaveEdge::kBackFromRight));
    } else if (was == static_cast<int>(WaveEdge::kBeyondLeft)) {
        emit dragEdge(static_cast<int>(WaveEdge::kBackFromLeft));
    }
    if (edge != 0) {
        emit dragEdge(edge);
    }
}

std::optional<std::int32_t> LSVWaveWindow::FixedMarkForGrab(double x) const {
    const WaveColumnMapping mapping = Mapping();
    const std::int32_t from = MarkFrom();
    const std::int32_t to = MarkTo();
    if (!mapping.HasView() || from >= to) {
        return std::nullopt;
    }
    // The distance from x to a mark drawn in the view; marks outside it cannot be grabbed.
    auto distance = [&](std::int32_t mark) {
        const int column = mapping.ColumnOf(mark);
        if (column < 0 || mark > mapping.FrameOf(mapping.Width())) {
            return kGrabPixels + 1;
        }
        return std::abs(x - ColumnX(column));
    };
    const double to_from = distance(from);
    const double to_to = distance(to);
    if (std::min(to_from, to_to) > kGrabPixels) {
        return std::nullopt;
    }
    // The nearer mark moves; the other stays.
    return to_from < to_to ? to : from;
}

std::int32_t LSVWaveWindow::ExtensionAnchor(std::int32_t frame) const {
    const std::int32_t from = MarkFrom();
    const std::int32_t to = MarkTo();
    if (from >= to) {
        return std::clamp(position_start_, 0, data_end_);
    }
    return std::abs(frame - from) >= std::abs(frame - to) ? from : to;
}

void LSVWaveWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !started_) {
        return;
    }
    if (!(event->modifiers() & Qt::ShiftModifier) && StartPlaceDrag(event->position())) {
        return;
    }
    const double x = event->position().x();
    const std::int32_t frame = FrameAt(event->position().toPoint().x());
    std::int32_t origin = frame;
    grabbed_mark_ = false;
    if (event->modifiers() & Qt::ShiftModifier) {
        origin = ExtensionAnchor(frame);
    } else if (const std::optional<std::int32_t> fixed = FixedMarkForGrab(x)) {
        origin = *fixed;
        grabbed_mark_ = true;
    }
    {
        std::lock_guard lock(paint_lock_);
        drag_origin_ = origin;
    }
    dragging_ = true;
    moved_ = false;
    // A grabbed mark stays where it is until the pointer moves.
    if (!grabbed_mark_) {
        ApplyDrag(frame);
    }
}

void LSVWaveWindow::mouseMoveEvent(QMouseEvent* event) {
    const int x = event->position().toPoint().x();
    if (dragged_place_) {
        MovePlaceDrag(event->position().x());
        return;
    }
    if (!dragging_) {
        ShowPointerShape(event->position().x());
        if (PlaceAt(event->position())) {
            setCursor(Qt::OpenHandCursor);
        }
        return;
    }
    moved_ = true;
    const int column = ColumnAt(x);
    const int columns = Mapping().Width();
    if (column >= columns - 1 && edge_ == 0) {
        SetEdge(static_cast<int>(WaveEdge::kBeyondRight));
    } else if (column >= 0 && column < columns - 1 && edge_ != 0) {
        SetEdge(0);
    } else if (column < 0 && edge_ == 0) {
        SetEdge(static_cast<int>(WaveEdge::kBeyondLeft));
    }
    ApplyDrag(FrameAt(x));
}

void LSVWaveWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (dragged_place_ && event->button() == Qt::LeftButton) {
        EndPlaceDrag();
        return;
    }
    if (!dragging_ || event->button() != Qt::LeftButton) {
        return;
    }
    dragging_ = false;
    SetEdge(0);
    const std::int32_t frame = FrameAt(event->position().toPoint().x());
    // A click on a mark keeps the marks; it only sets the position.
    if (!grabbed_mark_ || moved_) {
        ApplyDrag(frame);
    }
    grabbed_mark_ = false;
    SetPosition(frame, 0);
    ShowPointerShape(event->position().x());
    emit positionSet(frame);
}

void LSVWaveWindow::ShowPointerShape(double x) {
    if (FixedMarkForGrab(x)) {
        setCursor(Qt::SizeHorCursor);
    } else {
        unsetCursor();
    }
}

void LSVWaveWindow::wheelEvent(QWheelEvent* event) {
    if (!started_) {
        event->ignore();
        return;
    }
    // Some systems turn Shift and a vertical wheel into a horizontal one.
    const QPoint delta = event->angleDelta();
    const double notches = (delta.y() != 0 ? delta.y() : delta.x()) / kNotch;
    if (notches == 0) {
        event->ignore();
        return;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (modifiers & Qt::ControlModifier) {
        emit wheelZoomed(FrameAtX(event->position().x()), std::pow(kZoomPerNotch, -notches));
    } else if (modifiers & Qt::ShiftModifier) {
        emit wheelVerticalZoom(notches > 0);
    } else {
        // Turning the wheel toward the user moves on in time.
        emit wheelScrolled(-notches * kScrollPerNotch);
    }
    event->accept();
}

}  // namespace sonvara
