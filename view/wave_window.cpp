#include "view/wave_window.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

namespace sonvara {
namespace {

const QColor kPositionDark(0, 128, 0);
const QColor kPositionLight(170, 255, 170);
const QColor kCursor(0, 255, 0);

}  // namespace

LSVWaveWindow::LSVWaveWindow(QWidget* parent) : QWidget(parent) {
    setObjectName("LSVWaveWindow");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(40, 30);
    setEnabled(false);
}

int LSVWaveWindow::ColumnCount() const {
    return std::clamp(width() - 2, 1, kMaxWaveColumns);
}

void LSVWaveWindow::Start(const LCutListAudio& document, const WaveDrawOptions& options) {
    document_ = document;
    options_ = options;
    started_ = true;
    setEnabled(true);
    Recompute();
}

void LSVWaveWindow::SetRequest(std::int32_t start, std::int32_t length) {
    request_start_ = start;
    request_length_ = length;
    Recompute();
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
    mark_from_ = from;
    mark_to_ = to;
    update();
}

void LSVWaveWindow::Recompute() {
    mapping_ = WaveColumnMapping(request_start_, request_length_, ColumnCount());
    std::fill(columns_.upper.begin(), columns_.upper.end(), 0);
    std::fill(columns_.lower.begin(), columns_.lower.end(), 0);
    if (started_) {
        ComputeWaveColumns(document_, mapping_, 0, mapping_.Width(), options_, columns_);
    }
    update();
}

void LSVWaveWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (mapping_.Width() != ColumnCount()) {
        Recompute();
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
    // Right of the columns (a window wider than 2050 pixels) shows the outside colour.
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
    if (!mapping_.HasView()) {
        return 0;
    }
    const int column = std::clamp(x - 1, 0, mapping_.Width());
    const std::int64_t frame = mapping_.FrameOf(column);
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(frame, 0, data_end_));
}

void LSVWaveWindow::ApplyDrag(std::int32_t frame) {
    mark_from_ = std::min(drag_origin_, frame);
    mark_to_ = std::max(drag_origin_, frame);
    update();
    emit marksChanged(mark_from_, mark_to_);
}

void LSVWaveWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !started_) {
        return;
    }
    drag_origin_ = FrameAt(event->position().toPoint().x());
    mark_from_ = drag_origin_;
    mark_to_ = drag_origin_;
    dragging_ = true;
    update();
}

void LSVWaveWindow::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) {
        ApplyDrag(FrameAt(event->position().toPoint().x()));
    }
}

void LSVWaveWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_ || event->button() != Qt::LeftButton) {
        return;
    }
    dragging_ = false;
    const std::int32_t frame = FrameAt(event->position().toPoint().x());
    ApplyDrag(frame);
    SetPosition(frame, 0);
    emit positionSet(frame);
}

}  // namespace sonvara
