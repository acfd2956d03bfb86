#pragma once
// The main waveform view with its time ruler above it and its level scale at its left, as one
// widget. The ruler and the scale follow what the view shows: the ruler redraws when the view's
// worker has applied a new view, the scale when the drawing options or the height change.
// Interface thread only.

#include <QWidget>

#include "view/wave_window.h"

namespace sonvara {

// Times over the columns of a wave window, labelled as hours:minutes:seconds down to frames.
class LSVTimeRuler : public QWidget {
    Q_OBJECT

  public:
    LSVTimeRuler(const LSVWaveWindow& wave, QWidget* parent);
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const LSVWaveWindow& wave_;
};

// Decibels below full scale beside a wave window, at their height in it.
class LSVLevelScale : public QWidget {
    Q_OBJECT

  public:
    LSVLevelScale(const LSVWaveWindow& wave, QWidget* parent);
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const LSVWaveWindow& wave_;
};

class LSVWavePane : public QWidget {
    Q_OBJECT

  public:
    explicit LSVWavePane(QWidget* parent = nullptr);

    LSVWaveWindow* Wave() const { return wave_; }
    LSVTimeRuler* Ruler() const { return ruler_; }
    LSVLevelScale* Scale() const { return scale_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    LSVWaveWindow* wave_;
    LSVTimeRuler* ruler_;
    LSVLevelScale* scale_;
};

}  // namespace sonvara
