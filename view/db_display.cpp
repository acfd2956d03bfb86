#include "view/db_display.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace sonvara {
namespace {

constexpr double kSpanDb = LDBDisplay::kTopDb - LDBDisplay::kFloorDb;
// The peak mark's width in logical pixels.
constexpr double kMarkWidth = 2.0;
const QColor kBack(0x18, 0x1a, 0x1d);
const QColor kClipOff(0x40, 0x1c, 0x1c);

const QColor kScaleText(0xb8, 0xbc, 0xc0);

// The scale's numbers: two thirds of the widget's font.
QFontMetrics ScaleFont(QFont font) {
    font.setPointSizeF(font.pointSizeF() * 2 / 3);
    return QFontMetrics(font);
}

QColor Dimmed(const QColor& lit) {
    return QColor::fromRgb(lit.red() / 4, lit.green() / 4, lit.blue() / 4);
}

}  // namespace

const QColor LDBDisplay::kGreen(0x2e, 0xd1, 0x4f);
const QColor LDBDisplay::kRed(0xf0, 0x3a, 0x2e);

LDBDisplay::LDBDisplay(QWidget* parent) : QWidget(parent) {
    setObjectName("LDBDisplay");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(60, 8);
    setToolTip(tr("Nivel: de -36 dB a +12 dB; un clic apaga los indicadores de saturación"));
    clock_.start();
}

QSize LDBDisplay::sizeHint() const {
    return {240, 34};
}

int LDBDisplay::ScaleHeight() const {
    const int text = ScaleFont(font()).height();
    return height() >= 2 * text + 4 ? text : 0;
}

double LDBDisplay::SpanWidth() const {
    return std::max(width() - kClipWidth - kClipGap, 1);
}

double LDBDisplay::BarLength(int db) const {
    const double length = (db - kFloorDb) * SpanWidth() / kSpanDb;
    return std::clamp(length, 0.0, SpanWidth());
}

QRectF LDBDisplay::BarRect(int channel) const {
    const double band = static_cast<double>(height() - ScaleHeight()) / std::max(Channels(), 1);
    // One pixel between bands.
    const double gap = Channels() > 1 ? 1.0 : 0.0;
    return QRectF(0, band * channel, SpanWidth(), band - (channel + 1 < Channels() ? gap : 0));
}

int LDBDisplay::Level(int channel) const {
    return bars_.at(static_cast<std::size_t>(channel)).level;
}

int LDBDisplay::PeakHold(int channel) const {
    return bars_.at(static_cast<std::size_t>(channel)).peak;
}

bool LDBDisplay::Clipped(int channel) const {
    return bars_.at(static_cast<std::size_t>(channel)).clipped;
}

void LDBDisplay::UpdateStrip(int channel, int a, int b) {
    const QRectF band = BarRect(channel);
    const double from = BarLength(std::min(a, b));
    const double to = BarLength(std::max(a, b)) + kMarkWidth;
    // Whole pixels around the strip, so no edge pixel is left stale at any density.
    update(
        QRectF(from, band.top(), to - from, band.height()).toAlignedRect().adjusted(-1, 0, 1, 0));
}

void LDBDisplay::SetLevels(const SoundLevels& levels) {
    const auto channels = static_cast<std::size_t>(levels.channels);
    if (channels != bars_.size()) {
        bars_.assign(channels, Bar{});
        update();
    }
    const qint64 now = clock_.elapsed();
    for (std::size_t c = 0; c < channels; ++c) {
        Bar& bar = bars_[c];
        const int level = levels.level[c];
        const int channel = static_cast<int>(c);
        if (level != bar.level) {
            UpdateStrip(channel, bar.level, level);
        }
        bar.level = level;
        if (level >= bar.peak || now - bar.peak_at > kHoldMs) {
            if (level != bar.peak) {
                UpdateStrip(channel, bar.peak, level);
            }
            bar.peak = level;
            bar.peak_at = now;
        }
        if (level >= kTopDb && !bar.clipped) {
            bar.clipped = true;
            const QRectF band = BarRect(channel);
            update(QRectF(width() - kClipWidth, band.top(), kClipWidth, band.height())
                       .toAlignedRect());
        }
    }
}

void LDBDisplay::Reset() {
    for (Bar& bar : bars_) {
        bar = Bar{};
    }
    update();
}

void LDBDisplay::mousePressEvent(QMouseEvent* event) {
    for (Bar& bar : bars_) {
        bar.clipped = false;
    }
    update();
    event->accept();
}

void LDBDisplay::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), kBack);
    const double zero = BarLength(0);
    const double span = SpanWidth();
    for (int c = 0; c < Channels(); ++c) {
        const Bar& bar = bars_[static_cast<std::size_t>(c)];
        const QRectF band = BarRect(c);
        auto fill = [&](double from, double to, const QColor& colour) {
            if (to > from) {
                painter.fillRect(QRectF(from, band.top(), to - from, band.height()), colour);
            }
        };
        const double length = bar.level <= -127 ? 0.0 : BarLength(bar.level);
        fill(0, std::min(length, zero), kGreen);
        fill(zero, length, kRed);
        fill(length, zero, Dimmed(kGreen));
        fill(std::max(length, zero), span, Dimmed(kRed));
        if (bar.peak > kFloorDb) {
            const double at = std::min(BarLength(bar.peak), span - kMarkWidth);
            fill(at, at + kMarkWidth, bar.peak >= 0 ? kRed.lighter(130) : kGreen.lighter(140));
        }
        painter.fillRect(QRectF(width() - kClipWidth, band.top(), kClipWidth, band.height()),
                         bar.clipped ? kRed : kClipOff);
    }
    PaintScale(painter);
}

void LDBDisplay::PaintScale(QPainter& painter) const {
    const int strip = ScaleHeight();
    if (strip == 0) {
        return;
    }
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 2 / 3);
    painter.setFont(small);
    painter.setPen(kScaleText);
    const QFontMetrics metrics(small);
    const int top = height() - strip;
    double free_from = 0;  // a label, centred on its level, never overlaps the one before it
    for (const int db : kScaleDb) {
        const double at = BarLength(db);
        const QString text = db > 0 ? QString("+%1").arg(db) : QString::number(db);
        const double half = metrics.horizontalAdvance(text) / 2.0;
        if (at - half >= free_from && at + half <= SpanWidth()) {
            painter.drawText(QRectF(at - half, top, 2 * half, strip), Qt::AlignCenter, text);
            free_from = at + half + 2;
        }
    }
}

}  // namespace sonvara
