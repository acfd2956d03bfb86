#pragma once
// LWaveWindow: the player dialog's small waveform around the play position. It is the file
// window's wave view with one kind of column, the peak magnitude over all channels read from the
// samples by the view's worker (WaveDisplayMode::kPeakMagnitude), the position range (the scrub
// snippet) and the cursor. It has no marks and no drag: releasing the button sets the position
// to the frame under the pointer (width 0) and emits positionSet.

#include "view/wave_window.h"

namespace sonvara {

class LWaveWindow : public LSVWaveWindow {
    Q_OBJECT

  public:
    explicit LWaveWindow(QWidget* parent = nullptr);

    // Starts the worker on a copy of `document`, whose end becomes the data end.
    void Start(const LCutListAudio& document);
    bool IsRunning() const { return isEnabled(); }

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
};

}  // namespace sonvara
