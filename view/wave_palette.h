#pragma once
// The colours of the waveform views, their ruler and their scale, from one place. There is a
// light and a dark variant; the dark one is used when the desktop asks for a dark scheme (where
// Qt can tell) or when the window colour of the widget's palette is dark, so the views follow
// the desktop's theme as it changes.

#include <QColor>

class QWidget;

namespace sonvara {

struct WavePalette {
    QColor background;
    QColor peak;       // the extremes of each column
    QColor rms;        // the loudness inside them
    QColor centre;     // the zero line
    QColor selection;  // the background between the marks
    QColor outside;    // the background beyond the data
    QColor position;   // the background of a position range (playback)
    QColor cursor;
    QColor frame;  // the one-pixel border
    QColor ruler_back;
    QColor ruler_text;  // labels and ticks

    bool dark = false;

    // The palette for `widget` as the desktop shows it now.
    static WavePalette For(const QWidget& widget);
    static WavePalette Light();
    static WavePalette Dark();
};

}  // namespace sonvara
