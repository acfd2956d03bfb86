#include "view/db_display.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <span>

namespace sonvara {
namespace {

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

// A reading in whole units: -127 for nothing (silence measures minus infinity).
int WholeLufs(double lufs) {
    return lufs > -127 ? static_cast<int>(std::lround(std::min(lufs, 127.0))) : -127;
}

}  // namespace

const QColor LDBDisplay::kGreen(0x2e, 0xd1, 0x4f);
const QColor LDBDisplay::kRed(0xf0, 0x3a, 0x2e);
const QColor LDBDisplay::kLoudness(0x3c, 0xa0, 0xf0);

LDBDisplay::LDBDisplay(QWidget* parent) : QWidget(parent) {
    setObjectName("LDBDisplay");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(60, 8);
    ShowTip();
    clock_.start();
}

void LDBDisplay::ShowTip() {
    setToolTip(reading_ == MeterReading::kLevels
                   ? tr("Nivel de la reproducción: de -36 dB a +12 dB\nClic: apagar las luces "
                        "de saturación; clic derecho: elegir la medida")
                   : tr("Sonoridad momentánea de la reproducción (400 ms): de -59 a -5 LUFS\n"
                        "Clic: apagar las luces de saturación; clic derecho: elegir la medida"));
}

void LDBDisplay::SetReading(MeterReading reading) {
    if (reading == reading_) {
        return;
    }
    reading_ = reading;
    loudness_ = Bar{};
    ShowTip();
    update();
}

int LDBDisplay::Channels() const {
    return reading_ == MeterReading::kLevels ? static_cast<int>(bars_.size()) : 1;
}

const LDBDisplay::Bar& LDBDisplay::Shown(int bar) const {
    return reading_ == MeterReading::kLevels ? bars_.at(static_cast<std::size_t>(bar)) : loudness_;
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

double LDBDisplay::BarLength(int value) const {
    const bool levels = reading_ == MeterReading::kLevels;
    const int floor = levels ? kFloorDb : kFloorLufs;
    const int top = levels ? kTopDb : kTopLufs;
    const double length = (value - floor) * SpanWidth() / (top - floor);
    return std::clamp(length, 0.0, SpanWidth());
}

QRectF LDBDisplay::BarRect(int channel) const {
    const double band = static_cast<double>(height() - ScaleHeight()) / std::max(Channels(), 1);
    // One pixel between bands.
    const double gap = Channels() > 1 ? 1.0 : 0.0;
    return QRectF(0, band * channel, SpanWidth(), band - (channel + 1 < Channels() ? gap : 0));
}

int LDBDisplay::Level(int bar) const {
    return Shown(bar).level;
}

int LDBDisplay::PeakHold(int bar) const {
    return Shown(bar).peak;
}

bool LDBDisplay::Clipped(int bar) const {
    if (reading_ == MeterReading::kLevels) {
        return Shown(bar).clipped;
    }
    return std::ranges::any_of(bars_, [](const Bar& channel) { return channel.clipped; });
}

void LDBDisplay::UpdateStrip(int bar, int a, int b) {
    const QRectF band = BarRect(bar);
    const double from = BarLength(std::min(a, b));
    const double to = BarLength(std::max(a, b)) + kMarkWidth;
    // Whole pixels around the strip, so no edge pixel is left stale at any density.
    update(
        QRectF(from, band.top(), to - from, band.height()).toAlignedRect().adjusted(-1, 0, 1, 0));
}

void LDBDisplay::UpdateClipLight(int bar) {
    const QRectF band = BarRect(bar);
    update(QRectF(width() - kClipWidth, band.top(), kClipWidth, band.height()).toAlignedRect());
}

void LDBDisplay::Advance(Bar& bar, int index, int level, qint64 now) {
    if (level != bar.level) {
        UpdateStrip(index, bar.level, level);
    }
    bar.level = level;
    if (level >= bar.peak || now - bar.peak_at > kHoldMs) {
        if (level != bar.peak) {
            UpdateStrip(index, bar.peak, level);
        }
        bar.peak = level;
        bar.peak_at = now;
    }
}

void LDBDisplay::SetLevels(const SoundLevels& levels) {
    const bool shows_levels = reading_ == MeterReading::kLevels;
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
        if (shows_levels) {
            Advance(bar, channel, level, now);
        } else {
            bar.level = level;
        }
        if (level >= kTopDb && !bar.clipped) {
            bar.clipped = true;
            UpdateClipLight(shows_levels ? channel : 0);
        }
    }
    if (!shows_levels) {
        Advance(loudness_, 0, WholeLufs(levels.momentary), now);
    }
}

void LDBDisplay::Reset() {
    for (Bar& bar : bars_) {
        bar = Bar{};
    }
    loudness_ = Bar{};
    update();
}

void LDBDisplay::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);  // a right-click opens the menu
        return;
    }
    for (Bar& bar : bars_) {
        bar.clipped = false;
    }
    update();
    event->accept();
}

void LDBDisplay::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.setObjectName("LevelMeterMenu");
    for (const auto& [text, reading] :
         {std::pair{tr("&Nivel (RMS, dB)"), MeterReading::kLevels},
          std::pair{tr("&Sonoridad momentánea (LUFS)"), MeterReading::kMomentaryLoudness}}) {
        QAction* action = menu.addAction(text);
        action->setCheckable(true);
        action->setChecked(reading == reading_);
        connect(action, &QAction::triggered, this, [this, reading = reading] {
            SetReading(reading);
            emit ReadingChosen(reading);
        });
    }
    menu.exec(event->globalPos());
}

void LDBDisplay::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), kBack);
    const double zero = BarLength(0);
    const double span = SpanWidth();
    const bool levels = reading_ == MeterReading::kLevels;
    for (int c = 0; c < Channels(); ++c) {
        const Bar& bar = Shown(c);
        const QRectF band = BarRect(c);
        auto fill = [&](double from, double to, const QColor& colour) {
            if (to > from) {
                painter.fillRect(QRectF(from, band.top(), to - from, band.height()), colour);
            }
        };
        const double length = bar.level <= -127 ? 0.0 : BarLength(bar.level);
        if (levels) {
            fill(0, std::min(length, zero), kGreen);
            fill(zero, length, kRed);
            fill(length, zero, Dimmed(kGreen));
            fill(std::max(length, zero), span, Dimmed(kRed));
        } else {
            fill(0, length, kLoudness);
            fill(length, span, Dimmed(kLoudness));
        }
        if (bar.peak > (levels ? kFloorDb : kFloorLufs)) {
            const double at = std::min(BarLength(bar.peak), span - kMarkWidth);
            fill(at, at + kMarkWidth,
                 !levels         ? kLoudness.lighter(140)
                 : bar.peak >= 0 ? kRed.lighter(130)
                                 : kGreen.lighter(140));
        }
        painter.fillRect(QRectF(width() - kClipWidth, band.top(), kClipWidth, band.height()),
                         Clipped(c) ? kRed : kClipOff);
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
    double free_from = 0;  // a label, centred on its value, never overlaps the one before it
    std::span<const int> values = kScaleDb;
    if (reading_ == MeterReading::kMomentaryLoudness) {
        values = kScaleLufs;
        const double unit = metrics.horizontalAdvance(kLoudnessUnit);
        painter.drawText(QRectF(0, top, unit, strip), Qt::AlignLeft | Qt::AlignVCenter,
                         kLoudnessUnit);
        free_from = unit + 2;
    }
    for (const int value : values) {
        const double at = BarLength(value);
        const QString text = value > 0 ? QString("+%1").arg(value) : QString::number(value);
        const double half = metrics.horizontalAdvance(text) / 2.0;
        if (at - half >= free_from && at + half <= SpanWidth()) {
            painter.drawText(QRectF(at - half, top, 2 * half, strip), Qt::AlignCenter, text);
            free_from = at + half + 2;
        }
    }
}

}  // namespace sonvara
