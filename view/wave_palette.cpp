#include "view/wave_palette.h"

#include <QGuiApplication>
#include <QPalette>
#include <QStyleHints>
#include <QWidget>

namespace sonvara {

WavePalette WavePalette::Light() {
    WavePalette p;
    p.background = QColor(0xfc, 0xfc, 0xfd);
    p.peak = QColor(0x7d, 0xa7, 0xdc);
    p.rms = QColor(0x24, 0x58, 0xa6);
    p.centre = QColor(0xb4, 0xbb, 0xc6);
    p.selection = QColor(0xd4, 0xe3, 0xf7);
    p.outside = QColor(0xe4, 0xe5, 0xe8);
    p.position = QColor(0xcc, 0xf0, 0xcc);
    p.cursor = QColor(0x00, 0xa0, 0x3c);
    p.frame = QColor(0x9a, 0xa0, 0xa8);
    p.ruler_back = QColor(0xee, 0xef, 0xf1);
    p.ruler_text = QColor(0x33, 0x36, 0x3b);
    return p;
}

WavePalette WavePalette::Dark() {
    WavePalette p;
    p.background = QColor(0x1d, 0x20, 0x25);
    p.peak = QColor(0x3a, 0x6a, 0xa3);
    p.rms = QColor(0x8c, 0xbf, 0xf6);
    p.centre = QColor(0x4b, 0x51, 0x5b);
    p.selection = QColor(0x2a, 0x3f, 0x5e);
    p.outside = QColor(0x2b, 0x2d, 0x31);
    p.position = QColor(0x24, 0x4a, 0x2c);
    p.cursor = QColor(0x3d, 0xdc, 0x84);
    p.frame = QColor(0x50, 0x55, 0x5d);
    p.ruler_back = QColor(0x26, 0x28, 0x2d);
    p.ruler_text = QColor(0xc8, 0xcc, 0xd2);
    p.dark = true;
    return p;
}

WavePalette WavePalette::For(const QWidget& widget) {
    bool dark = widget.palette().color(QPalette::Window).lightness() < 128;
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    dark = dark || QGuiApplication::styleHints()->colorScheme() == Qt::ColorScheme::Dark;
#endif
    return dark ? Dark() : Light();
}

}  // namespace sonvara
