#pragma once
// LFrequencyWindow: the graph of a spectrum (effects/frequency_analysis.h). The bands from 0 Hz up
// to half the rate, or in four-times mode the lowest 512 bands (a quarter of that range, four times
// wider), run from left to right; the column at x shows band trunc(x × bands ÷ width) (and when
// the bands outnumber the columns, the loudest of the bands up to the next column's). A band's
// level lies at (kTopLevel − level) × height ÷ kLevelSpan from the top: +96 dB at the top edge,
// -64 dB at the bottom, so a full-scale tone (about +87) stays inside and a silent band (-127)
// falls below the bottom. The curve is yellow on dark grey, over a grid of decibels and hertz;
// a disabled window is grey and shows nothing.
//
// A mouse move emits pointerMoved with the band and the level under the pointer; the owner may
// show what it makes of them as the caption, drawn in white at the top right.

#include <QString>
#include <QWidget>

#include "effects/frequency_analysis.h"

namespace sonvara {

class LFrequencyWindow : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kTopLevel = 96;
    static constexpr int kLevelSpan = 160;
    static constexpr int kFourTimesBands = 512;

    explicit LFrequencyWindow(QWidget* parent = nullptr);

    void SetSpectrum(const SpectrumLevels& levels, std::int32_t sample_rate);
    const SpectrumLevels& Levels() const { return levels_; }
    void SetFourTimes(bool four_times);
    bool FourTimes() const { return four_times_; }
    int Bands() const { return four_times_ ? kFourTimesBands : kSpectrumBands; }
    void SetCaption(const QString& caption);
    const QString& Caption() const { return caption_; }

    // The band column `x` shows, and the level at height `y` of the graph.
    int BandAt(int x) const;
    int LevelAt(int y) const;
    // The height at which `level` is drawn (below the graph for levels under -64).
    double LevelY(int level) const;

    QSize sizeHint() const override { return {800, 360}; }

  signals:
    void pointerMoved(int band, int level);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    void DrawGrid(class QPainter& painter) const;

    SpectrumLevels levels_{};
    std::int32_t sample_rate_ = 44100;
    bool four_times_ = false;
    QString caption_;
};

}  // namespace sonvara
