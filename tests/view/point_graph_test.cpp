// The point-list graph editor driven by the mouse and the keyboard as a user drives it: the list
// after each edit, the rules every edit keeps (x order, the ends, 64 points at most), the
// read-out, and what is drawn where the points are.

#include <gtest/gtest.h>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <random>
#include <vector>

#include "tests/view/gui_test_app.h"
#include "view/point_graph.h"

namespace sonvara {
namespace {

using Point = PointList::Point;

PointList ListOf(std::initializer_list<Point> points) {
    PointList list;
    list.n_points = static_cast<std::uint8_t>(points.size());
    std::copy(points.begin(), points.end(), list.points.begin());
    return list;
}

std::vector<Point> PointsOf(const PointList& list) {
    return {list.points.begin(), list.points.begin() + list.Count()};
}

// Two to 64 points in x order, the first at x 0 and the last at x 255.
::testing::AssertionResult Editable(const PointList& list) {
    const std::vector<Point> points = PointsOf(list);
    if (points.size() < 2 || points.size() > 64) {
        return ::testing::AssertionFailure() << points.size() << " points";
    }
    if (points.front().x != 0 || points.back().x != 255) {
        return ::testing::AssertionFailure()
               << "ends at x " << int{points.front().x} << " and " << int{points.back().x};
    }
    for (std::size_t i = 1; i < points.size(); ++i) {
        if (points[i].x < points[i - 1].x) {
            return ::testing::AssertionFailure() << "x goes back at point " << i;
        }
    }
    return ::testing::AssertionSuccess();
}

// 640 × 620 pixels: over two pixels a unit, so that the pixel of a value gives the value back,
// also through a drag's offset from the point it took.
class PointGraphTest : public ::testing::Test {
  protected:
    PointGraphTest() {
        graph_.resize(640, 620);
        graph_.show();
        graph_.activateWindow();
    }

    QPoint At(int x, int y) const {
        return graph_.PixelOf({static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y)})
            .toPoint();
    }
    // The pixel that holds the place of (x, y).
    QPoint Pixel(int x, int y) const {
        const QPointF at =
            graph_.PixelOf({static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y)});
        return {static_cast<int>(at.x()), static_cast<int>(at.y())};
    }
    void Click(int x, int y, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(&graph_, button, {}, At(x, y));
    }
    void Drag(Point from, const std::vector<Point>& through) {
        QTest::mousePress(&graph_, Qt::LeftButton, {}, At(from.x, from.y));
        Point last = from;
        for (const Point& p : through) {
            QTest::mouseMove(&graph_, At(p.x, p.y));
            last = p;
        }
        QTest::mouseRelease(&graph_, Qt::LeftButton, {}, At(last.x, last.y));
    }
    std::vector<Point> Shown() const { return PointsOf(graph_.Points()); }

    QApplication& app_ = testing::GuiApp();
    LBrainWaveWindow graph_;
};

TEST_F(PointGraphTest, ClicksAddDragsMoveAndRightClicksOrDeleteRemovePoints) {
    QSignalSpy changed(&graph_, &LBrainWaveWindow::pointsChanged);
    ASSERT_EQ(Shown(), (std::vector<Point>{{0, 128}, {255, 128}}));

    Click(100, 200);  // on empty space
    Click(50, 60);    // before it: the list stays in x order
    EXPECT_EQ(Shown(), (std::vector<Point>{{0, 128}, {50, 60}, {100, 200}, {255, 128}}));
    EXPECT_EQ(graph_.Selected(), 1);
    EXPECT_EQ(changed.count(), 2);

    // A point dragged past its neighbour stops at the neighbour's x; the end moves only up and
    // down. Picking a point up without moving it changes nothing.
    Drag({100, 200}, {{70, 100}, {30, 10}});
    Drag({255, 128}, {{200, 250}});
    Click(0, 128);
    EXPECT_EQ(Shown(), (std::vector<Point>{{0, 128}, {50, 60}, {50, 10}, {255, 250}}));
    EXPECT_EQ(changed.count(), 5);

    // Right clicks: on an end and on empty space nothing goes; on a point it goes.
    Click(0, 128, Qt::RightButton);
    Click(255, 250, Qt::RightButton);
    Click(150, 60, Qt::RightButton);
    EXPECT_EQ(changed.count(), 5);
    Click(50, 60, Qt::RightButton);
    EXPECT_EQ(Shown(), (std::vector<Point>{{0, 128}, {50, 10}, {255, 250}}));

    // Delete takes the selected point, never an end.
    Click(50, 10);
    ASSERT_EQ(graph_.Selected(), 1);
    QTest::keyClick(&graph_, Qt::Key_Delete);
    EXPECT_EQ(Shown(), (std::vector<Point>{{0, 128}, {255, 250}}));
    Click(255, 250);
    QTest::keyClick(&graph_, Qt::Key_Delete);
    EXPECT_EQ(Shown(), (std::vector<Point>{{0, 128}, {255, 250}}));
    EXPECT_EQ(changed.count(), 7);
}

TEST_F(PointGraphTest, AStrokeLaysItsCurveOverThePointsItPasses) {
    graph_.SetPoints(ListOf({{0, 128}, {60, 30}, {120, 220}, {200, 40}, {255, 128}}));
    // Left to right from x 20 to 180 along y = 100 + (x − 20) ÷ 2, in steps of 2 units.
    std::vector<Point> stroke;
    for (int x = 22; x <= 180; x += 2) {
        stroke.push_back({static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(90 + x / 2)});
    }
    Drag({20, 100}, stroke);

    std::vector<Point> shown = Shown();
    EXPECT_TRUE(Editable(graph_.Points()));
    // The points it passed over went; the one beyond it stays.
    EXPECT_EQ(shown.front(), (Point{0, 128}));
    EXPECT_EQ(shown[shown.size() - 2], (Point{200, 40}));
    const std::vector<Point> laid(shown.begin() + 1, shown.end() - 2);
    ASSERT_GE(laid.size(), 160U / 10);
    // The point laid at the press follows the pointer until the stroke has gone a step.
    EXPECT_GE(laid.front().x, 20);
    EXPECT_LT(laid.front().x, 20 + LBrainWaveWindow::kStrokeStep);
    EXPECT_EQ(laid.back(), (Point{180, 180}));
    for (std::size_t i = 0; i < laid.size(); ++i) {
        EXPECT_EQ(laid[i].y, 90 + laid[i].x / 2) << i;
        if (i > 0 && i + 1 < laid.size()) {
            EXPECT_GE(laid[i].x - laid[i - 1].x, LBrainWaveWindow::kStrokeStep) << i;
            EXPECT_LE(laid[i].x - laid[i - 1].x, LBrainWaveWindow::kStrokeStep + 2) << i;
        }
    }

    // Right to left from x 240 to 100, flat at 30: it replaces what lies between.
    std::vector<Point> back;
    for (int x = 236; x >= 100; x -= 4) {
        back.push_back({static_cast<std::uint8_t>(x), 30});
    }
    Drag({240, 30}, back);
    shown = Shown();
    EXPECT_TRUE(Editable(graph_.Points()));
    EXPECT_EQ(shown.back(), (Point{255, 128}));
    for (const Point& p : shown) {
        if (p.x >= 100 && p.x <= 240) {
            EXPECT_EQ(p.y, 30) << int{p.x};
        } else if (p.x > 20 && p.x < 100) {
            EXPECT_EQ(p.y, 90 + p.x / 2) << int{p.x};  // the first stroke's, left of the second
        }
    }
}

TEST_F(PointGraphTest, RandomEditsKeepTheListEditableAndAtMost64Points) {
    std::mt19937 random(24);
    std::uniform_int_distribution<int> unit(0, 255);
    QSignalSpy changed(&graph_, &LBrainWaveWindow::pointsChanged);
    int most = 0;
    for (int action = 0; action < 400; ++action) {
        const PointList before = graph_.Points();
        const int signals_before = changed.count();
        const int kind = unit(random) % 10;
        if (kind < 8) {  // a click, or a drag or a stroke wandering from the press
            int x = unit(random);
            int y = unit(random);
            QTest::mousePress(&graph_, Qt::LeftButton, {}, At(x, y));
            for (int moves = kind < 6 ? 0 : unit(random) % 10; moves > 0; --moves) {
                x = std::clamp(x + unit(random) % 25 - 12, 0, 255);
                y = std::clamp(y + unit(random) % 41 - 20, 0, 255);
                QTest::mouseMove(&graph_, At(x, y));
            }
            QTest::mouseRelease(&graph_, Qt::LeftButton, {}, At(x, y));
        } else if (kind < 9) {
            const Point p =
                graph_.Points()
                    .points[static_cast<std::size_t>(unit(random) % graph_.Points().Count())];
            Click(p.x, p.y, Qt::RightButton);
        } else {
            QTest::keyClick(&graph_, Qt::Key_Delete);
        }
        ASSERT_TRUE(Editable(graph_.Points())) << "after action " << action;
        const bool same = PointsOf(before) == Shown();
        EXPECT_EQ(changed.count() > signals_before, !same) << "after action " << action;
        most = std::max(most, graph_.Points().Count());
    }
    EXPECT_EQ(most, 64);  // the limit was met, and held
}

TEST_F(PointGraphTest, AFullListTakesNoMorePoints) {
    PointList full;
    full.n_points = 64;
    for (int i = 0; i < 64; ++i) {
        full.points[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(i * 255 / 63), 128};
    }
    graph_.SetPoints(full);
    QSignalSpy changed(&graph_, &LBrainWaveWindow::pointsChanged);
    Click(10, 240);
    Drag({10, 240}, {{30, 240}, {50, 240}});
    EXPECT_EQ(changed.count(), 0);
    Click(full.points[5].x, 128, Qt::RightButton);
    Click(10, 240);
    EXPECT_EQ(graph_.Points().Count(), 64);
    EXPECT_EQ(graph_.Points().points[3], (Point{10, 240}));
}

TEST_F(PointGraphTest, TheReadOutGivesThePointerOrTheDraggedPoint) {
    QSignalSpy moved(&graph_, &LBrainWaveWindow::pointerMoved);
    QMouseEvent hover(QEvent::MouseMove, QPointF(At(77, 33)), graph_.mapToGlobal(At(77, 33)),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&graph_, &hover);
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved.last(), (QList<QVariant>{77, 33}));

    // Beyond the plot the values stop at 0 and 255; a dragged point gives its own value.
    graph_.SetPoints(ListOf({{0, 128}, {90, 128}, {255, 128}}));
    QTest::mousePress(&graph_, Qt::LeftButton, {}, At(90, 128));
    QTest::mouseMove(&graph_, At(255, 255) + QPoint(40, -40));
    EXPECT_EQ(moved.last(), (QList<QVariant>{255, 255}));
    QTest::mouseMove(&graph_, At(0, 0) + QPoint(-40, 40));
    EXPECT_EQ(moved.last(), (QList<QVariant>{0, 0}));
    QTest::mouseRelease(&graph_, Qt::LeftButton, {}, At(0, 0));
    EXPECT_EQ(Shown()[1], (Point{0, 0}));
}

TEST_F(PointGraphTest, TheCurveIsDrawnThroughThePoints) {
    graph_.SetPoints(ListOf({{0, 128}, {128, 200}, {255, 200}}));
    graph_.SetAxes(
        [](double) {
            return std::vector<GraphTick>{{64, "64"}};
        },
        [](double) { return std::vector<GraphTick>{}; });
    Click(128, 200);  // selected: drawn white
    QImage image = graph_.grab().toImage();
    EXPECT_EQ(image.pixelColor(Pixel(0, 128)), LBrainWaveWindow::kCurve);
    EXPECT_EQ(image.pixelColor(Pixel(128, 200)), LBrainWaveWindow::kSelected);
    EXPECT_EQ(image.pixelColor(Pixel(255, 200) - QPoint(1, 0)), LBrainWaveWindow::kCurve);
    // Along the lines between them, and not beside them.
    EXPECT_EQ(image.pixelColor(Pixel(192, 200)), LBrainWaveWindow::kCurve);
    EXPECT_EQ(image.pixelColor(Pixel(64, 164)), LBrainWaveWindow::kCurve);
    EXPECT_EQ(image.pixelColor(Pixel(192, 100)), LBrainWaveWindow::kBackground);
    EXPECT_EQ(image.pixelColor(Pixel(100, 30)), LBrainWaveWindow::kBackground);
    // The grid line at x 64 is drawn, away from the curve.
    EXPECT_NE(image.pixelColor(Pixel(64, 30)), LBrainWaveWindow::kBackground);

    graph_.setEnabled(false);
    image = graph_.grab().toImage();
    EXPECT_EQ(image.pixelColor(Pixel(192, 100)), LBrainWaveWindow::kDisabledBackground);
    EXPECT_NE(image.pixelColor(Pixel(192, 200)), LBrainWaveWindow::kCurve);
}

}  // namespace
}  // namespace sonvara
