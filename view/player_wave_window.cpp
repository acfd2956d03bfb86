#include "view/player_wave_window.h"

#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace sonvara {

LWaveWindow::LWaveWindow(QWidget* parent) : LSVWaveWindow(parent) {
    setObjectName("LWaveWindow");
}

void LWaveWindow::Start(const LCutListAudio& document) {
    LSVWaveWindow::Start(document, WaveDrawOptions{WaveDisplayMode::kPeakMagnitude, false});
    SetDataEnd(document.GetLength());
}

void LWaveWindow::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void LWaveWindow::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
}

void LWaveWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !IsRunning() || !Mapping().HasView()) {
        return;
    }
    const double frame = std::floor(FrameAtX(event->position().x()));
    const auto position =
        static_cast<std::int32_t>(std::clamp<double>(frame, 0, std::max(DataEnd(), 0)));
    SetPosition(position, 0);
    emit positionSet(position);
}

void LWaveWindow::wheelEvent(QWheelEvent* event) {
    event->ignore();
}

}  // namespace sonvara
