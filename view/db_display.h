#pragma once
// LDBDisplay: the level meter. It reads either the levels of the sound heard (one bar per
// channel) or its momentary loudness (one bar); a right-click on the meter chooses.
//
// Levels: one horizontal bar per channel, stacked from the top; a bar for level L (dB as the
// player and the recorder measure it) is (L + 36) × W / 48 long, so the span runs from -36 dB to
// +12 dB (the level of a full-scale sine) over the meter's width W. The part below 0 dB is green,
// the part above it red.
// Momentary loudness: one bar for the loudness of the last 400 ms in LUFS, over the span of the
// EBU's "+18" scale, -59 to -5 LUFS (-36 to +18 LU around the -23 LUFS broadcast target).
//
// The unlit rest of the span shows dimmed, so the scale stays readable. Beside the bars:
// - a peak-hold mark per bar: the highest reading of the last 1.5 s, then it falls to the
//   current one;
// - a clip light per channel at the right edge (one for all in the loudness reading), lit once a
//   level reaches the top of the level span and kept lit until the user clicks the meter (or
//   Reset).
// An update repaints only the strip of each bar between its old and its new end (and the peak
// mark or clip light when they change). Drawn with QPainter at any pixel density.

#include <QElapsedTimer>
#include <QWidget>
#include <vector>

#include "devices/sound_player.h"

class QPainter;

namespace sonvara {

// What the meter reads (the frame keeps the choice as a number: "LevelMeterReading").
enum class MeterReading { kLevels = 0, kMomentaryLoudness = 1 };

class LDBDisplay : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kFloorDb = -36;
    static constexpr int kTopDb = 12;
    static constexpr int kFloorLufs = -59;
    static constexpr int kTopLufs = -5;
    static constexpr int kHoldMs = 1500;
    // The clip lights' column at the right edge, and the gap before it.
    static constexpr int kClipWidth = 6;
    static constexpr int kClipGap = 2;

    static const QColor kGreen;
    static const QColor kRed;
    static const QColor kLoudness;  // the loudness bar

    explicit LDBDisplay(QWidget* parent = nullptr);

    MeterReading Reading() const { return reading_; }
    void SetReading(MeterReading reading);

    // Shows one block: its levels (`levels.channels` bars) or its momentary loudness.
    void SetLevels(const SoundLevels& levels);
    // Back to silence: every bar, peak mark and clip light off.
    void Reset();

    // The bars shown: the channels' for levels, one for loudness.
    int Channels() const;
    // The meter's width W: the widget less the clip lights.
    double SpanWidth() const;
    // The length of the bar for `value` (dB or LUFS, as the reading) in (logical) pixels: its
    // place in the reading's span over W, within 0..W.
    double BarLength(int value) const;
    // The strip along the bottom that labels the span; 0 (no scale) when the meter is too low to
    // hold it beside readable bars.
    int ScaleHeight() const;
    // The values the scale labels, in order, and the loudness scale's unit (at its left).
    static constexpr int kScaleDb[] = {-24, -12, -6, 0, 6};
    static constexpr int kScaleLufs[] = {-41, -32, -23, -14};
    static constexpr char kLoudnessUnit[] = "LUFS";
    // The band of bar `bar`, full span width.
    QRectF BarRect(int bar) const;
    // The reading of bar `bar` (dB or whole LUFS; -127: nothing) and its peak hold.
    int Level(int bar) const;
    int PeakHold(int bar) const;
    bool Clipped(int bar) const;
    QSize sizeHint() const override;

  signals:
    // The user chose a reading from the meter's menu.
    void ReadingChosen(MeterReading reading);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void PaintScale(QPainter& painter) const;
    struct Bar {
        int level = -127;
        int peak = -127;
        qint64 peak_at = 0;  // ms on clock_
        bool clipped = false;
    };
    const Bar& Shown(int bar) const;
    // Moves shown bar `bar` to `level` at `now`, repainting what changed.
    void Advance(Bar& bar, int index, int level, qint64 now);
    // Repaints the strip between the ends for `a` and `b` in bar `bar`'s band.
    void UpdateStrip(int bar, int a, int b);
    void UpdateClipLight(int bar);
    void ShowTip();

    MeterReading reading_ = MeterReading::kLevels;
    std::vector<Bar> bars_ = std::vector<Bar>(1);  // one silent bar until levels come
    Bar loudness_;                                 // its `clipped` unused
    QElapsedTimer clock_;
};

}  // namespace sonvara
