#pragma once
// LDBDisplay: the level meter. One horizontal bar per channel, stacked from the top; a bar for
// level L (dB as the player and the recorder measure it) is (L + 36) × W / 48 long, so the span
// runs from -36 dB to +12 dB (the level of a full-scale sine) over the meter's width W. The part
// below 0 dB is green, the part above it red; the unlit rest of the span shows dimmed, so the
// scale stays readable. Beside the bars:
// - a peak-hold mark per channel: the highest level of the last 1.5 s, then it falls to the
//   current one;
// - a clip light per channel at the right edge, lit once a level reaches the top of the span and
//   kept lit until the user clicks the meter (or Reset).
// An update repaints only the strip of each bar between its old and its new end (and the peak
// mark or clip light when they change). Drawn with QPainter at any pixel density.

#include <QElapsedTimer>
#include <QWidget>
#include <vector>

#include "devices/sound_player.h"

class QPainter;

namespace sonvara {

class LDBDisplay : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kFloorDb = -36;
    static constexpr int kTopDb = 12;
    static constexpr int kHoldMs = 1500;
    // The clip lights' column at the right edge, and the gap before it.
    static constexpr int kClipWidth = 6;
    static constexpr int kClipGap = 2;

    static const QColor kGreen;
    static const QColor kRed;

    explicit LDBDisplay(QWidget* parent = nullptr);

    // Shows the levels of one block: `levels.channels` bars.
    void SetLevels(const SoundLevels& levels);
    // Back to silence: every bar, peak mark and clip light off.
    void Reset();

    int Channels() const { return static_cast<int>(bars_.size()); }
    // The meter's width W: the widget less the clip lights.
    double SpanWidth() const;
    // The length of the bar for `db` in (logical) pixels: (db + 36) × W / 48 within 0..W.
    double BarLength(int db) const;
    // The strip along the bottom that labels the span in decibels; 0 (no scale) when the meter
    // is too low to hold it beside readable bars.
    int ScaleHeight() const;
    // The decibels the scale labels, in order.
    static constexpr int kScaleDb[] = {-24, -12, -6, 0, 6};
    // The band of channel `channel`, full span width.
    QRectF BarRect(int channel) const;
    int Level(int channel) const;
    int PeakHold(int channel) const;
    bool Clipped(int channel) const;
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void PaintScale(QPainter& painter) const;
    struct Bar {
        int level = -127;
        int peak = -127;
        qint64 peak_at = 0;  // ms on clock_
        bool clipped = false;
    };
    // Repaints the strip between the ends for `a` and `b` in channel `channel`'s band.
    void UpdateStrip(int channel, int a, int b);

    std::vector<Bar> bars_ = std::vector<Bar>(1);  // one silent bar until levels come
    QElapsedTimer clock_;
};

}  // namespace sonvara
