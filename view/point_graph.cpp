#include "view/point_graph.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

#include "view/columns/point_list_edits.h"

namespace sonvara {
namespace {

using Point = PointList::Point;

const QColor kPointGrid(0x4a, 0x4a, 0x4a);
const QColor kUnity(0x78, 0x78, 0x78);
const QColor kLabel(0xc8, 0xc8, 0xc8);
const QColor kDisabledCurve(0x58, 0x58, 0x58);
const QColor kDisabledText(0x40, 0x40, 0x40);
constexpr double kGap = 6.0;  // between the plot and its labels

bool SamePoints(const PointList& a, const PointList& b) {
    return a.Count() == b.Count() &&
           std::equal(a.points.begin(), a.points.begin() + a.Count(), b.points.begin());
}

// `rect` moved, not resized, to lie inside `bounds` where it can.
QRectF Inside(QRectF rect, const QRectF& bounds) {
    rect.moveLeft(std::clamp(rect.left(), bounds.left(), bounds.right() - rect.width()));
    rect.moveTop(std::clamp(rect.top(), bounds.top(), bounds.bottom() - rect.height()));
    return rect;
}

}  // namespace

const QColor LBrainWaveWindow::kBackground(0x2b, 0x2b, 0x2b);
const QColor LBrainWaveWindow::kDisabledBackground(0x9a, 0x9a, 0x9a);
const QColor LBrainWaveWindow::kCurve(0xff, 0xff, 0x00);
const QColor LBrainWaveWindow::kSelected(0xff, 0xff, 0xff);

LBrainWaveWindow::LBrainWaveWindow(QWidget* parent) : QWidget(parent) {
    setObjectName("LBrainWaveWindow");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::CrossCursor);
}

QSize LBrainWaveWindow::sizeHint() const {
    return {520, 280};
}

QSize LBrainWaveWindow::minimumSizeHint() const {
    return {240, 140};
}

void LBrainWaveWindow::SetPoints(const PointList& points) {
    selected_ = -1;
    drag_ = Drag::kNone;
    Show(EditablePointList(points));
    update();
}

void LBrainWaveWindow::SetCaption(const QString& caption) {
    if (caption != caption_) {
        caption_ = caption;
        update();
    }
}

void LBrainWaveWindow::SetAxes(GraphAxis horizontal, GraphAxis vertical) {
    horizontal_ = std::move(horizontal);
    vertical_ = std::move(vertical);
    update();
}

QRectF LBrainWaveWindow::PlotRect() const {
    const QFontMetricsF metrics(font());
    // Room for the level labels on the left, the caption above and the axis labels below.
    const double left = std::ceil(metrics.horizontalAdvance("200 %") + 2 * kGap);
    const double top = std::ceil(metrics.height() + kGap);
    const double bottom = std::ceil(metrics.height() + 2 * kGap);
    const double right = std::ceil(metrics.horizontalAdvance("00") + kGap);
    return QRectF(left, top, std::max(width() - left - right, 1.0),
                  std::max(height() - top - bottom, 1.0));
}

QPointF LBrainWaveWindow::PixelOf(Point point) const {
    const QRectF plot = PlotRect();
    return {plot.left() + point.x * plot.width() / 255.0,
            plot.top() + (255 - point.y) * plot.height() / 255.0};
}

Point LBrainWaveWindow::ValueAt(QPointF pixel) const {
    const QRectF plot = PlotRect();
    const auto unit = [](double value) {
        return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
    };
    return {unit((pixel.x() - plot.left()) * 255.0 / plot.width()),
            unit(255.0 - (pixel.y() - plot.top()) * 255.0 / plot.height())};
}

int LBrainWaveWindow::PointAt(QPointF pixel) const {
    const QRectF plot = PlotRect();
    const double reach_x = std::max(kHitUnits * plot.width() / 255.0, kHitPixels);
    const double reach_y = std::max(kHitUnits * plot.height() / 255.0, kHitPixels);
    int nearest = -1;
    double nearest_distance = 0;
    for (int i = 0; i < points_.Count(); ++i) {
        const QPointF offset = PixelOf(points_.points[static_cast<std::size_t>(i)]) - pixel;
        if (std::abs(offset.x()) > reach_x || std::abs(offset.y()) > reach_y) {
            continue;
        }
        // Of points drawn on one another the later wins: it is the one free to move right.
        const double distance = std::hypot(offset.x(), offset.y());
        if (nearest < 0 || distance <= nearest_distance) {
            nearest = i;
            nearest_distance = distance;
        }
    }
    return nearest;
}

void LBrainWaveWindow::Show(const PointList& edited) {
    if (SamePoints(edited, points_)) {
        return;
    }
    points_ = edited;
    update();
    emit pointsChanged();
}

void LBrainWaveWindow::Select(int index) {
    if (index != selected_) {
        selected_ = index;
        update();
    }
}

void LBrainWaveWindow::mousePressEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    const int hit = PointAt(at);
    if (event->button() == Qt::LeftButton) {
        if (hit >= 0) {
            grab_offset_ = PixelOf(points_.points[static_cast<std::size_t>(hit)]) - at;
            drag_ = Drag::kPoint;
            Select(hit);
        } else {
            PointList edited = points_;
            const int laid = InsertPoint(edited, ValueAt(at));
            if (laid < 0) {
                QApplication::beep();  // 64 points: the list is full
                event->accept();
                return;
            }
            drag_ = Drag::kStroke;
            grab_offset_ = {};
            stroke_origin_ = edited.points[static_cast<std::size_t>(laid)].x;
            stroke_drawn_ = false;
            Select(laid);
            Show(edited);
        }
        const Point point = points_.points[static_cast<std::size_t>(selected_)];
        emit pointerMoved(point.x, point.y);
    } else if (event->button() == Qt::RightButton && drag_ == Drag::kNone) {
        PointList edited = points_;
        if (RemovePoint(edited, hit)) {
            Select(selected_ == hit ? -1 : selected_ - (selected_ > hit ? 1 : 0));
            Show(edited);
        }
    }
    event->accept();
}

void LBrainWaveWindow::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    if (event->buttons().testFlag(Qt::LeftButton) && drag_ != Drag::kNone && selected_ >= 0) {
        const Point to = ValueAt(at + grab_offset_);
        PointList edited = points_;
        if (drag_ == Drag::kPoint) {
            MovePoint(edited, selected_, to);
        } else if (!stroke_drawn_ && std::abs(to.x - stroke_origin_) < kStrokeStep) {
            // Near where it was pressed, the new point is dragged like any other.
            MovePoint(edited, selected_, to);
        } else {
            stroke_drawn_ = true;
            const Point newest = edited.points[static_cast<std::size_t>(selected_)];
            if (std::abs(to.x - newest.x) >= kStrokeStep) {
                selected_ = LayStrokePoint(edited, selected_, to);
            }
        }
        Show(edited);
        const Point point = points_.points[static_cast<std::size_t>(selected_)];
        emit pointerMoved(point.x, point.y);
    } else {
        const Point point = ValueAt(at);
        setCursor(PointAt(at) >= 0 ? Qt::SizeAllCursor : Qt::CrossCursor);
        emit pointerMoved(point.x, point.y);
    }
    event->accept();
}

void LBrainWaveWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        // A stroke ends where the button is let go, whatever its last step.
        if (drag_ == Drag::kStroke && stroke_drawn_ && selected_ >= 0) {
            PointList edited = points_;
            selected_ = LayStrokePoint(edited, selected_, ValueAt(event->position()));
            Show(edited);
        }
        drag_ = Drag::kNone;
    }
    event->accept();
}

void LBrainWaveWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Delete && event->key() != Qt::Key_Backspace) {
        QWidget::keyPressEvent(event);
        return;
    }
    PointList edited = points_;
    if (drag_ == Drag::kNone && RemovePoint(edited, selected_)) {
        Select(-1);
        Show(edited);
    }
    event->accept();
}

void LBrainWaveWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        drag_ = Drag::kNone;
        update();
    } else if (event->type() == QEvent::FontChange) {
        update();
    }
    QWidget::changeEvent(event);
}

void LBrainWaveWindow::PaintGrid(QPainter& painter, const QRectF& plot) const {
    const double dpr = devicePixelRatioF();
    // A one-pixel line through the middle of the device pixel at `v`, so that it stays sharp.
    const auto crisp = [dpr](double v) { return (std::floor(v * dpr) + 0.5) / dpr; };
    const QPen grid(isEnabled() ? kPointGrid : kDisabledCurve, 0);
    const QColor text = isEnabled() ? kLabel : kDisabledText;
    const double label_height = QFontMetricsF(font()).height();
    const QRectF bounds = QRectF(rect()).adjusted(kGap / 2, 0, -kGap / 2, 0);

    if (vertical_) {
        for (const GraphTick& tick : vertical_(plot.height())) {
            const double y = crisp(plot.top() + (255.0 - tick.at) * plot.height() / 255.0);
            painter.setPen(grid);
            painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
            painter.setPen(text);
            const QRectF label(0, y - label_height / 2, plot.left() - kGap, label_height);
            painter.drawText(Inside(label, bounds), Qt::AlignRight | Qt::AlignVCenter, tick.label);
        }
    }
    if (horizontal_) {
        for (const GraphTick& tick : horizontal_(plot.width())) {
            const double x = crisp(plot.left() + tick.at * plot.width() / 255.0);
            painter.setPen(grid);
            painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
            painter.setPen(text);
            // Labels at the ends stay whole: they move in rather than being cut.
            const double advance = QFontMetricsF(font()).horizontalAdvance(tick.label);
            const QRectF label(x - advance / 2, plot.bottom() + kGap, advance, label_height);
            painter.drawText(Inside(label, bounds), Qt::AlignCenter, tick.label);
        }
    }
    // Unity (y 128), dashed over the grid.
    QPen unity(isEnabled() ? kUnity : kDisabledText, 0, Qt::DashLine);
    painter.setPen(unity);
    const double y = crisp(plot.top() + 127.0 * plot.height() / 255.0);
    painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));

    painter.setPen(grid);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(QPointF(crisp(plot.left()), crisp(plot.top())),
                            QPointF(crisp(plot.right()), crisp(plot.bottom()))));
}

void LBrainWaveWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const bool enabled = isEnabled();
    painter.fillRect(rect(), enabled ? kBackground : kDisabledBackground);
    const QRectF plot = PlotRect();
    PaintGrid(painter, plot);

    const QColor curve = enabled ? kCurve : kDisabledCurve;
    QPolygonF line;
    for (int i = 0; i < points_.Count(); ++i) {
        line << PixelOf(points_.points[static_cast<std::size_t>(i)]);
    }
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(curve, 2.0);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    painter.setPen(pen);
    painter.drawPolyline(line);
    painter.setRenderHint(QPainter::Antialiasing, false);

    // Squares on whole device pixels, so that their edges stay sharp.
    const double dpr = devicePixelRatioF();
    const double side = std::round(kSquare * dpr) / dpr;
    for (int i = 0; i < line.size(); ++i) {
        const QPointF corner = line[i] - QPointF(kSquare / 2, kSquare / 2);
        const QRectF square(std::round(corner.x() * dpr) / dpr, std::round(corner.y() * dpr) / dpr,
                            side, side);
        painter.fillRect(square, i == selected_ && enabled ? kSelected : curve);
    }

    if (!caption_.isEmpty()) {
        painter.setPen(enabled ? Qt::white : kDisabledText);
        painter.drawText(QRectF(plot.left(), 0, plot.width(), plot.top()),
                         Qt::AlignRight | Qt::AlignVCenter, caption_);
    }
}

}  // namespace sonvara
