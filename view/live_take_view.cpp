#include "view/live_take_view.h"

#include <QPainter>
#include <algorithm>

#include "view/columns/level_trail.h"
#include "view/wave_palette.h"

namespace sonvara {

LLiveTakeView::LLiveTakeView(QWidget* parent) : QWidget(parent) {
    setObjectName("liveTake");
    setMinimumSize(320, 64);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void LLiveTakeView::Clear() {
    heights_.clear();
    update();
}

void LLiveTakeView::Add(const SoundLevels& levels) {
    int loudest = -127;
    for (int c = 0; c < levels.channels; ++c) {
        loudest = std::max<int>(loudest, levels.level[static_cast<std::size_t>(c)]);
    }
    heights_.push_back(TrailHeight(loudest));
    update();
}

void LLiveTakeView::paintEvent(QPaintEvent* /*event*/) {
    const WavePalette palette = WavePalette::For(*this);
    QPainter painter(this);
    painter.fillRect(rect(), palette.background);
    const double middle = height() / 2.0;
    painter.setPen(palette.centre);
    painter.drawLine(QPointF(0, middle), QPointF(width(), middle));
    painter.setPen(palette.peak);
    const std::vector<float> columns = TrailColumns(heights_, width());
    for (std::size_t x = 0; x < columns.size(); ++x) {
        const double half = columns[x] * (middle - 1);
        painter.drawLine(QPointF(static_cast<double>(x) + 0.5, middle - half),
                         QPointF(static_cast<double>(x) + 0.5, middle + half));
    }
    painter.setPen(palette.frame);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace sonvara
