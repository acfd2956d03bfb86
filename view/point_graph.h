#pragma once
// LBrainWaveWindow: the graph editor of a point list (the equalizer's and the envelope's shape).
// The points are drawn as a yellow line with a square on each, over a grid whose marks the owner
// gives (frequency or time along x, the level along y), on a dark grey ground; a disabled editor
// is grey and takes no input.
//
// The mouse edits the list (point_list_edits.h keeps its rules: x order, ends at x 0 and 255,
// two to 64 points):
// - a left press on a point picks it (it is then the selected point) and drags it;
// - a left press elsewhere adds a point there, which is dragged while the pointer stays within
//   kStrokeStep units of x; farther on, the drag draws a stroke, laying a point every kStrokeStep
//   units of x and one where the button is let go, and replacing the points it passes over;
// - a right press on a point, or Delete while a point is selected, removes it (not an end).
// Every change of the list emits pointsChanged. Every mouse move emits pointerMoved with the
// value under the pointer, or while dragging with the dragged point's, for the owner's read-out;
// the owner may show that read-out as the caption, drawn at the top right.
//
// A point (x, y) lies at PlotRect().left() + x × width ÷ 255 and PlotRect().top() +
// (255 − y) × height ÷ 255, in logical pixels; drawing is antialiased at any pixel density.

#include <QColor>
#include <QWidget>
#include <functional>
#include <vector>

#include "effects/point_list.h"

namespace sonvara {

// A line of the grid: where it lies along its axis (0..255, fractional) and its label ("" for
// none).
struct GraphTick {
    double at = 0;
    QString label;
};
// The grid lines of an axis for a plot `length` logical pixels long.
using GraphAxis = std::function<std::vector<GraphTick>(double length)>;

class LBrainWaveWindow : public QWidget {
    Q_OBJECT

  public:
    // A press within this many units of a point (or within kHitPixels) takes the point.
    static constexpr int kHitUnits = 4;
    static constexpr double kHitPixels = 5.0;
    static constexpr int kStrokeStep = 8;
    static constexpr double kSquare = 8.0;  // the side of a point's square, logical pixels

    static const QColor kBackground;
    static const QColor kDisabledBackground;
    static const QColor kCurve;
    static const QColor kSelected;

    explicit LBrainWaveWindow(QWidget* parent = nullptr);

    const PointList& Points() const { return points_; }
    // Shows `points` as EditablePointList makes them; emits pointsChanged when that differs from
    // the list shown.
    void SetPoints(const PointList& points);

    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& caption);

    void SetAxes(GraphAxis horizontal, GraphAxis vertical);

    // The selected point's index, -1 when none.
    int Selected() const { return selected_; }

    QRectF PlotRect() const;
    QPointF PixelOf(PointList::Point point) const;
    // The point of the list nearest `pixel` within the hit distance, -1 when none.
    int PointAt(QPointF pixel) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  signals:
    void pointsChanged();
    void pointerMoved(int x, int y);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    enum class Drag { kNone, kPoint, kStroke };

    // The value at `pixel`, each coordinate clamped to 0..255.
    PointList::Point ValueAt(QPointF pixel) const;
    // Makes `edited` the list shown, repainting and telling of it when it differs.
    void Show(const PointList& edited);
    void Select(int index);
    void PaintGrid(QPainter& painter, const QRectF& plot) const;

    PointList points_;
    int selected_ = -1;
    Drag drag_ = Drag::kNone;
    QPointF grab_offset_;        // from the pointer to the dragged point's centre
    int stroke_origin_ = 0;      // the x where a stroke was pressed
    bool stroke_drawn_ = false;  // whether it has left kStrokeStep around it
    QString caption_;
    GraphAxis horizontal_;
    GraphAxis vertical_;
};

}  // namespace sonvara
