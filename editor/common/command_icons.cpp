#include "editor/common/command_icons.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>
#include <cstring>

namespace sonvara {
namespace {

// The drawings use a 16 by 16 grid, scaled to each pixmap size.
constexpr int kGrid = 16;

void Magnifier(QPainter& p) {
    p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
    p.drawLine(QPointF(9.5, 9.5), QPointF(14.5, 14.5));
}

void Triangle(QPainter& p, bool right, double left_x) {
    QPainterPath path;
    const double tip = right ? left_x + 6 : left_x;
    const double base = right ? left_x : left_x + 6;
    path.moveTo(base, 3);
    path.lineTo(tip, 8);
    path.lineTo(base, 13);
    path.closeSubpath();
    p.fillPath(path, p.pen().color());
}

// A small wave about the line y = `middle`, `height` high.
void Wave(QPainter& p, double middle, double height) {
    QPainterPath path;
    path.moveTo(1, middle);
    for (int x = 1; x <= 15; ++x) {
        const double up = (x % 4 == 1) ? -1 : (x % 4 == 3) ? 1 : 0;
        path.lineTo(x, middle + up * height * ((x % 3) + 1) / 3.0);
    }
    p.drawPath(path);
}

// False for a name we have no drawing of.
bool Draw(QPainter& p, const char* name) {
    const QColor ink = p.pen().color();
    auto is = [name](const char* candidate) { return std::strcmp(name, candidate) == 0; };
    if (is("document-new")) {
        p.drawPolygon(QPolygonF({{3, 1.5}, {10, 1.5}, {13, 4.5}, {13, 14.5}, {3, 14.5}}));
        p.drawPolyline(QPolygonF({{10, 1.5}, {10, 4.5}, {13, 4.5}}));
    } else if (is("document-open")) {
        p.drawPolygon(
            QPolygonF({{1.5, 3.5}, {6, 3.5}, {7.5, 5}, {14.5, 5}, {14.5, 13.5}, {1.5, 13.5}}));
        p.drawLine(QPointF(1.5, 7.5), QPointF(14.5, 7.5));
    } else if (is("document-save")) {
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.fillRect(QRectF(4, 2, 8, 4), ink);
        p.drawRect(QRectF(4.5, 9.5, 7, 5));
    } else if (is("media-skip-backward")) {
        p.fillRect(QRectF(3, 3, 2, 10), ink);
        Triangle(p, false, 6);
    } else if (is("media-skip-forward")) {
        Triangle(p, true, 4);
        p.fillRect(QRectF(11, 3, 2, 10), ink);
    } else if (is("media-playback-start")) {
        QPainterPath path;
        path.moveTo(4, 2.5);
        path.lineTo(13, 8);
        path.lineTo(4, 13.5);
        path.closeSubpath();
        p.fillPath(path, ink);
    } else if (is("media-record")) {
        // Red, as on every recorder, so that it stands out from the transport beside it.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xd0, 0x20, 0x20));
        p.drawEllipse(QRectF(3, 3, 10, 10));
    } else if (is("media-playback-stop")) {
        p.fillRect(QRectF(3.5, 3.5, 9, 9), ink);
    } else if (is("media-seek-backward")) {
        Triangle(p, false, 2);
        Triangle(p, false, 8);
    } else if (is("media-seek-forward")) {
        Triangle(p, true, 2);
        Triangle(p, true, 8);
    } else if (is("zoom-in") || is("zoom-out")) {
        Magnifier(p);
        p.drawLine(QPointF(4, 6), QPointF(8, 6));
        if (is("zoom-in")) {
            p.drawLine(QPointF(6, 4), QPointF(6, 8));
        }
    } else if (is("zoom-select")) {
        Magnifier(p);
        p.fillRect(QRectF(4, 4, 4, 4), ink);
    } else if (is("zoom-fit-best")) {
        p.drawPolyline(QPolygonF({{1.5, 5}, {1.5, 1.5}, {5, 1.5}}));
        p.drawPolyline(QPolygonF({{11, 1.5}, {14.5, 1.5}, {14.5, 5}}));
        p.drawPolyline(QPolygonF({{1.5, 11}, {1.5, 14.5}, {5, 14.5}}));
        p.drawPolyline(QPolygonF({{11, 14.5}, {14.5, 14.5}, {14.5, 11}}));
        Wave(p, 8, 4);
    } else if (is("zoom-fit-height")) {
        p.drawLine(QPointF(8, 1.5), QPointF(8, 14.5));
        p.drawPolyline(QPolygonF({{5, 4.5}, {8, 1.5}, {11, 4.5}}));
        p.drawPolyline(QPolygonF({{5, 11.5}, {8, 14.5}, {11, 11.5}}));
    } else if (is("sonvara-wave-posneg")) {
        Wave(p, 8, 5);
        p.drawLine(QPointF(1, 8), QPointF(15, 8));
    } else if (is("sonvara-wave-leftright")) {
        Wave(p, 4.5, 3);
        Wave(p, 11.5, 3);
    } else {
        return false;
    }
    return true;
}

}  // namespace

QIcon CommandIcon(const char* name) {
    if (name == nullptr) {
        return {};
    }
    const QIcon themed = QIcon::fromTheme(QString::fromLatin1(name));
    if (!themed.isNull()) {
        return themed;
    }
    const QColor ink = QGuiApplication::palette().color(QPalette::WindowText);
    QIcon drawn;
    for (int size : {16, 22, 24, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(static_cast<double>(size) / kGrid, static_cast<double>(size) / kGrid);
        painter.setPen(QPen(ink, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        if (!Draw(painter, name)) {
            return {};
        }
        painter.end();
        drawn.addPixmap(pixmap);
    }
    return drawn;
}

QIcon SonvaraIcon() {
    return QIcon(":/sonvara/sonvara.svg");
}

}  // namespace sonvara
