#include "view/wave_window.h"

#include <QMetaObject>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace sonvara {
namespace {

const QColor kPositionDark(0, 128, 0);
const QColor kPositionLight(170, 255, 170);
const QColor kCursor(0, 255, 0);

constexpr auto kStopTimeout = std::chrono::milliseconds(5000);

}  // namespace

LSVWaveWindow::LSVWaveWindow(QWidget* parent) : QWidget(parent) {
    setObjectName("LSVWaveWindow");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(40, 30);
    setEnabled(false);
}

LSVWaveWindow::~LSVWaveWindow() {
    StopWorker();
}

int LSVWaveWindow::ColumnCount() const {
    return std::clamp(width() - 2, 1, kMaxWaveColumns);
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
    position_start_ = start;
    position_width_ = width;
    update();
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
            // Under a drag beyond an edge, the mark at that edge follows the view.
            const int edge = edge_.load();
            if (edge != 0 && mapping_.HasView()) {
                if (edge == static_cast<int>(WaveEdge::kBeyondLeft)) {
                    mark_from_ = static_cast<std::int32_t>(mapping_.FrameOf(0));
                } else {
                    mark_to_ = static_cast<std::int32_t>(mapping_.FrameOf(mapping_.Width()));
                }
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
            const auto from = static_cast<std::size_t>(range.from);
            const auto count = static_cast<std::size_t>(range.to - range.from);
            std::memcpy(columns_.upper.data() + from, scratch.upper.data() + from, count);
            std::memcpy(columns_.lower.data() + from, scratch.lower.data() + from, count);
            computed_columns_ += range.to - range.from;
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
    auto move = [&](std::vector<std::uint8_t>& values) {
        if (shift > 0) {
            std::memmove(values.data() + shift, values.data(),
                         static_cast<std::size_t>(width - shift));
        } else {
            std::memmove(values.data(), values.data() - shift,
                         static_cast<std::size_t>(width + shift));
        }
    };
    move(columns_.upper);
    move(columns_.lower);
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
    const QPalette& pal = palette();
    const QColor wave_normal = pal.color(QPalette::Active, QPalette::WindowText);
    const QColor back_normal = pal.color(QPalette::Active, QPalette::Base);
    const QColor wave_marked = pal.color(QPalette::Active, QPalette::HighlightedText);
    const QColor back_marked = pal.color(QPalette::Active, QPalette::Highlight);
    const QColor wave_outside = pal.color(QPalette::Disabled, QPalette::WindowText);
    const QColor back_outside = pal.color(QPalette::Active, QPalette::Button);

    std::lock_guard lock(paint_lock_);
    const int columns = mapping_.Width();
    const int height = std::max(this->height() - 1, 1);
    const int mid = height / 2;
    const int data_first = mapping_.ColumnOf(0);
    const int data_last = mapping_.ColumnOf(data_end_);
    const int position_first = mapping_.ColumnOf(position_start_);
    const int position_last =
        mapping_.ColumnOf(static_cast<std::int64_t>(position_start_) + position_width_);
    const int marks_first = mapping_.ColumnOf(mark_from_);
    const int marks_last = mapping_.ColumnOf(mark_to_);
    const int cursor = position_first >= columns ? columns - 1 : position_first;

    const int first_column = std::max(event->rect().left() - 1, 0);
    const int last_column = std::min(event->rect().right(), columns);
    for (int c = first_column; c < last_column; ++c) {
        const int x = c + 1;
        if (c == cursor) {
            painter.setPen(kCursor);
            painter.drawLine(x, 1, x, height);
            continue;
        }
        const bool in_marks = c >= marks_first && c < marks_last;
        QColor wave = wave_normal;
        QColor back = back_normal;
        if (!mapping_.HasView() || c < data_first || c > data_last) {
            wave = wave_outside;
            back = back_outside;
        } else if (c >= position_first && c < position_last) {
            wave = in_marks ? kPositionLight : kPositionDark;
            back = in_marks ? kPositionDark : kPositionLight;
        } else if (in_marks) {
            wave = wave_marked;
            back = back_marked;
        }
        const auto index = static_cast<std::size_t>(c);
        const int top = mid - ((columns_.upper[index] * height) >> 9);
        const int bottom = mid + ((columns_.lower[index] * height) >> 9) + 1;
        painter.setPen(back);
        painter.drawLine(x, 1, x, top);
        painter.setPen(wave);
        painter.drawLine(x, top, x, bottom);
        painter.setPen(back);
        painter.drawLine(x, bottom, x, height);
    }
    // Right of the columns (a window wider than 2050 pixels, or one whose new width the worker
    // has not taken yet) shows the outside colour.
    if (columns + 1 < width() - 1) {
        painter.fillRect(QRect(columns + 1, 1, width() - columns - 2, height), back_outside);
    }
    painter.setPen(Qt::black);
    painter.drawLine(0, 0, width() - 1, 0);
    painter.drawLine(0, 0, 0, this->height() - 1);
    painter.setPen(Qt::white);
    painter.drawLine(0, this->height() - 1, width() - 1, this->height() - 1);
    painter.drawLine(width() - 1, 0, width() - 1, this->height() - 1);
}

std::int32_t LSVWaveWindow::FrameAt(int x) const {
    const WaveColumnMapping mapping = Mapping();
    if (!mapping.HasView()) {
        return 0;
    }
    const int column = std::clamp(x - 1, 0, mapping.Width());
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

void LSVWaveWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !started_) {
        return;
    }
    drag_origin_ = FrameAt(event->position().toPoint().x());
    SetMarks(drag_origin_, drag_origin_);
    dragging_ = true;
}

void LSVWaveWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) {
        return;
    }
    const int x = event->position().toPoint().x();
    const int columns = Mapping().Width();
    if (x >= columns && edge_ == 0) {
        SetEdge(static_cast<int>(WaveEdge::kBeyondRight));
    } else if (x > 0 && x < columns && edge_ != 0) {
        SetEdge(0);
    } else if (x <= 0 && edge_ == 0) {
        SetEdge(static_cast<int>(WaveEdge::kBeyondLeft));
    }
    ApplyDrag(FrameAt(x));
}

void LSVWaveWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_ || event->button() != Qt::LeftButton) {
        return;
    }
    dragging_ = false;
    SetEdge(0);
    const std::int32_t frame = FrameAt(event->position().toPoint().x());
    ApplyDrag(frame);
    SetPosition(frame, 0);
    emit positionSet(frame);
}

}  // namespace sonvara
