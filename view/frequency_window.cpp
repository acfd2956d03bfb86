#include "view/frequency_window.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace sonvara {

namespace {

const QColor kBackground(64, 64, 64);
const QColor kDisabledBackground(160, 160, 160);
const QColor kFrequencyGrid(96, 96, 96);
const QColor kGridText(176, 176, 176);
const QColor kCurve(255, 255, 0);

constexpr int kLevelStep = 20;  // decibels between the grid's rows

// The step in hertz between the grid's columns: the smallest that leaves `min_pixels` between
// two of them.
int FrequencyStep(double pixels_per_hertz, double min_pixels) {
    for (int step : {50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000}) {
        if (step * pixels_per_hertz >= min_pixels) {
            return step;
        }
    }
    return 50000;
}

QString HertzText(int hertz) {
    return hertz % 1000 == 0 ? QString("%1 kHz").arg(hertz / 1000) : QString("%1 Hz").arg(hertz);
}

}  // namespace

LFrequencyWindow::LFrequencyWindow(QWidget* parent) : QWidget(parent) {
    setObjectName("LFrequencyWindow");
    setMouseTracking(true);
    setCursor(Qt::ArrowCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
    levels_.fill(kSilentBandLevel);
}

void LFrequencyWindow::SetSpectrum(const SpectrumLevels& levels, std::int32_t sample_rate) {
    if (levels == levels_ && sample_rate == sample_rate_) {
        return;
    }
    levels_ = levels;
    sample_rate_ = sample_rate;
    update();
}

void LFrequencyWindow::SetFourTimes(bool four_times) {
    if (four_times != four_times_) {
        four_times_ = four_times;
        update();
    }
}

void LFrequencyWindow::SetCaption(const QString& caption) {
    if (caption != caption_) {
        caption_ = caption;
        update(QRect(width() - 300, 0, 300, 15 + fontMetrics().height()));
    }
}

int LFrequencyWindow::BandAt(int x) const {
    const int w = std::max(width(), 1);
    return std::clamp(static_cast<int>(static_cast<std::int64_t>(x) * Bands() / w), 0, Bands() - 1);
}

int LFrequencyWindow::LevelAt(int y) const {
    const int h = std::max(height(), 1);
    return kTopLevel -
           static_cast<int>(static_cast<std::int64_t>(std::clamp(y, 0, h)) * kLevelSpan / h);
}

double LFrequencyWindow::LevelY(int level) const {
    return static_cast<double>(kTopLevel - level) * height() / kLevelSpan;
}

void LFrequencyWindow::DrawGrid(QPainter& painter) const {
    painter.setPen(kFrequencyGrid);
    const QFontMetrics metrics = fontMetrics();
    for (int level = kTopLevel - kTopLevel % kLevelStep; level > kTopLevel - kLevelSpan;
         level -= kLevelStep) {
        const double y = LevelY(level);
        painter.setPen(kFrequencyGrid);
        painter.drawLine(QPointF(0, y), QPointF(width(), y));
        painter.setPen(kGridText);
        painter.drawText(QPointF(3, y - 2), QString("%1 dB").arg(level));
    }
    // The span shown: the bands' width times their count.
    const double hertz = static_cast<double>(sample_rate_) * Bands() / kSpectrumFrames;
    if (hertz <= 0) {
        return;
    }
    const double pixels_per_hertz = width() / hertz;
    const int step = FrequencyStep(pixels_per_hertz, metrics.horizontalAdvance("00 kHz") + 16);
    for (int f = step; f < hertz; f += step) {
        const double x = f * pixels_per_hertz;
        painter.setPen(kFrequencyGrid);
        painter.drawLine(QPointF(x, 0), QPointF(x, height()));
        painter.setPen(kGridText);
        painter.drawText(QPointF(x + 3, height() - 4), HertzText(f));
    }
}

void LFrequencyWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!isEnabled()) {
        painter.fillRect(rect(), kDisabledBackground);
        return;
    }
    painter.fillRect(rect(), kBackground);
    DrawGrid(painter);

    const int w = std::max(width(), 1);
    QPolygonF line;
    line.reserve(w);
    for (int x = 0; x < w; ++x) {
        // With more bands than columns a column shows the loudest of those it covers, so that no
        // peak falls between two columns.
        const int first = BandAt(x);
        const int next = std::max(first + 1, std::min(BandAt(x + 1), Bands()));
        const auto begin = levels_.begin() + first;
        line.append(QPointF(x, LevelY(*std::max_element(begin, levels_.begin() + next))));
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kCurve, 1.0));
    painter.drawPolyline(line);

    painter.setPen(Qt::white);
    const QRect caption(0, 2, width() - 4, fontMetrics().height());
    painter.drawText(caption, Qt::AlignRight | Qt::AlignTop, caption_);
}

void LFrequencyWindow::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit pointerMoved(BandAt(at.x()), LevelAt(at.y()));
}

}  // namespace sonvara
