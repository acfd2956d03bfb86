// LSVWaveWindow's named places: bookmarks and regions drawn over the wave, and dragging them by
// their names.

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "view/wave_window.h"

namespace sonvara {
namespace {

// Bookmarks in amber, regions in blue: both readable over the light and the dark palette.
const QColor kBookMarkColour(230, 140, 20);
const QColor kRegionColour(60, 140, 235);
constexpr int kRegionShadeAlpha = 56;
constexpr double kLabelPadding = 3.0;

}  // namespace

void LSVWaveWindow::SetPlaces(std::vector<WavePlace> places) {
    if (places != places_ && !dragged_place_) {
        places_ = std::move(places);
        update();
    }
}

// Under the paint lock or on a copy of the mapping: the flag of `place` for `mapping`.
static QRectF LabelFor(const LSVWaveWindow& window, const WaveColumnMapping& mapping,
                       const WavePlace& place, const QFont& font) {
    if (!mapping.HasView()) {
        return {};
    }
    const QRectF inside(1, 1, window.width() - 2, window.height() - 2);
    const double left = std::max(window.ColumnX(mapping.ColumnOf(place.start)), inside.left());
    const double right = place.region ? window.ColumnX(mapping.ColumnOf(place.end)) : left + 1;
    if (right < inside.left() || left > inside.right()) {
        return {};
    }
    const QFontMetricsF metrics(font);
    const double height = metrics.height() + 2 * kLabelPadding / 2;
    const double width = metrics.horizontalAdvance(place.name) + 2 * kLabelPadding;
    // Bookmarks flag the top, regions the bottom, so that the two do not cover each other.
    const double top = place.region ? inside.bottom() - height : inside.top();
    return QRectF(left, top, std::min(width, inside.right() - left), height);
}

QRectF LSVWaveWindow::PlaceLabel(const WavePlace& place) const {
    return LabelFor(*this, Mapping(), place, font());
}

void LSVWaveWindow::PaintPlaces(QPainter& painter, const QRectF& inside) const {
    painter.save();
    painter.setClipRect(inside);
    for (const WavePlace& place : places_) {
        const QColor colour = place.region ? kRegionColour : kBookMarkColour;
        const double x = ColumnX(mapping_.ColumnOf(place.start));
        if (place.region) {
            QColor shade = colour;
            shade.setAlpha(kRegionShadeAlpha);
            const double end = ColumnX(mapping_.ColumnOf(place.end));
            painter.fillRect(
                QRectF(QPointF(x, inside.top()), QPointF(std::max(end, x + 1), inside.bottom())),
                shade);
            painter.fillRect(QRectF(std::floor(x), inside.top(), 1, inside.height()), colour);
            painter.fillRect(QRectF(std::floor(end), inside.top(), 1, inside.height()), colour);
        } else {
            painter.setPen(QPen(colour, 1, Qt::DashLine));
            painter.drawLine(QPointF(std::floor(x) + 0.5, inside.top()),
                             QPointF(std::floor(x) + 0.5, inside.bottom()));
        }
        const QRectF label = LabelFor(*this, mapping_, place, font());
        if (label.isEmpty() || label.height() > inside.height()) {
            continue;
        }
        painter.fillRect(label, colour);
        painter.setPen(Qt::white);
        painter.drawText(label.adjusted(kLabelPadding, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                         place.name);
    }
    painter.restore();
}

std::optional<std::size_t> LSVWaveWindow::PlaceAt(QPointF point) const {
    const WaveColumnMapping mapping = Mapping();
    // The last drawn is on top.
    for (std::size_t i = places_.size(); i-- > 0;) {
        if (LabelFor(*this, mapping, places_[i], font()).contains(point)) {
            return i;
        }
    }
    return std::nullopt;
}

bool LSVWaveWindow::StartPlaceDrag(QPointF point) {
    const std::optional<std::size_t> index = PlaceAt(point);
    if (!index) {
        return false;
    }
    dragged_place_ = index;
    place_grab_offset_ = FrameAtX(point.x()) - places_[*index].start;
    setCursor(Qt::ClosedHandCursor);
    return true;
}

void LSVWaveWindow::MovePlaceDrag(double x) {
    WavePlace& place = places_[*dragged_place_];
    const std::int32_t length = place.end - place.start;
    const std::int32_t latest = place.region ? std::max(data_end_ - length, 0) : data_end_;
    const double wanted = std::round(FrameAtX(x) - place_grab_offset_);
    place.start = static_cast<std::int32_t>(std::clamp(wanted, 0.0, static_cast<double>(latest)));
    place.end = place.region ? place.start + length : place.start;
    update();
}

void LSVWaveWindow::EndPlaceDrag() {
    const WavePlace place = places_[*dragged_place_];
    dragged_place_.reset();
    setCursor(Qt::OpenHandCursor);
    emit placeMoved(place.region, place.id, place.start);
}

}  // namespace sonvara
