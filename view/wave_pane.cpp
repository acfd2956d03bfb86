#include "view/wave_pane.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <cmath>

#include "view/columns/rulers.h"
#include "view/wave_palette.h"

namespace sonvara {
namespace {

constexpr int kTickLength = 4;
constexpr int kMinorTickLength = 2;

}  // namespace

LSVTimeRuler::LSVTimeRuler(const LSVWaveWindow& wave, QWidget* parent)
    : QWidget(parent), wave_(wave) {
    setObjectName("timeRuler");
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize LSVTimeRuler::sizeHint() const {
    return {200, fontMetrics().height() + kTickLength + 4};
}

void LSVTimeRuler::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const WavePalette colours = WavePalette::For(*this);
    painter.fillRect(rect(), colours.ruler_back);
    painter.setPen(colours.ruler_text);
    painter.drawLine(0, height() - 1, width(), height() - 1);
    const WaveColumnMapping mapping = wave_.Mapping();
    if (!mapping.HasView() || !wave_.isEnabled()) {
        return;
    }
    // The ruler lies over the wave window: its x is the window's x.
    const int offset = wave_.x() - x();
    const double frames_per_column = 1.0 / mapping.Scale();
    const double start = mapping.First() * frames_per_column;
    const QFontMetrics metrics = fontMetrics();
    const double dpr = devicePixelRatioF();
    // Room for the widest label of this zoom plus a gap, in columns.
    const double label_columns =
        (metrics.horizontalAdvance("0:00:00.000") + 2 * metrics.averageCharWidth()) * dpr;
    const int bottom = height() - 1;
    for (const RulerTick& tick : TimeRulerTicks(start, frames_per_column, mapping.Width(),
                                                wave_.SampleRate(), label_columns)) {
        const double x = offset + wave_.ColumnX(tick.column);
        const int length = tick.labelled ? kTickLength + 2 : kMinorTickLength;
        painter.drawLine(QPointF(x, bottom - length), QPointF(x, bottom));
        if (tick.labelled) {
            painter.drawText(QPointF(x + 2, metrics.ascent() + 1),
                             QString::fromStdString(tick.label));
        }
    }
}

LSVLevelScale::LSVLevelScale(const LSVWaveWindow& wave, QWidget* parent)
    : QWidget(parent), wave_(wave) {
    setObjectName("levelScale");
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize LSVLevelScale::sizeHint() const {
    return {fontMetrics().horizontalAdvance("-60 dB") + kTickLength + 4, 100};
}

void LSVLevelScale::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const WavePalette colours = WavePalette::For(*this);
    painter.fillRect(rect(), colours.ruler_back);
    painter.setPen(colours.ruler_text);
    painter.drawLine(width() - 1, 0, width() - 1, height());
    // The scale's y is the wave window's y; the wave's middle line and half height as it draws.
    const double top = wave_.y() - y() + 1.0;
    const double half = (wave_.height() - 2) / 2.0;
    const double mid = top + half;
    const QFontMetrics metrics = fontMetrics();
    const int right = width() - 1;
    auto mark = [&](double at, const QString& text) {
        painter.drawLine(QPointF(right - kTickLength, at), QPointF(right, at));
        const double baseline =
            std::clamp(at + metrics.ascent() / 2.0 - 1, top + metrics.ascent(), top + 2 * half);
        painter.drawText(
            QPointF(right - kTickLength - 2 - metrics.horizontalAdvance(text), baseline), text);
    };
    mark(mid, QString::fromUtf8("-\u221e"));
    for (const LevelMark& level :
         LevelScaleMarks(half, wave_.Options().vertical_zoom, 2 * metrics.height())) {
        const QString text = QString::number(level.decibels);
        mark(mid - level.offset, text);
        mark(mid + level.offset, text);
    }
}

LSVWavePane::LSVWavePane(QWidget* parent) : QWidget(parent), wave_(new LSVWaveWindow(this)) {
    ruler_ = new LSVTimeRuler(*wave_, this);
    scale_ = new LSVLevelScale(*wave_, this);
    setObjectName("wavePane");
    connect(wave_, &LSVWaveWindow::columnsReady, this, [this] {
        ruler_->update();
        scale_->update();
    });
}

void LSVWavePane::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int ruler = ruler_->sizeHint().height();
    const int scale = scale_->sizeHint().width();
    ruler_->setGeometry(0, 0, width(), ruler);
    scale_->setGeometry(0, ruler, scale, std::max(height() - ruler, 0));
    wave_->setGeometry(scale, ruler, std::max(width() - scale, 0), std::max(height() - ruler, 0));
}

}  // namespace sonvara
