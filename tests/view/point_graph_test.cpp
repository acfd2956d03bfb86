// The point-list graph editor driven by the mouse and the keyboard as a user drives it: the list
// after each edit, the rules every edit keeps (x order, the ends, 64 points at most), and what
// is drawn where the points are.

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
using Points = std::vector<Point>;

PointList ListOf(const Points& points) {
    PointList list;
    list.n_points = static_cast<std::uint8_t>(points.size());
    std::copy(points.begin(), points.end(), list.points.begin());
    return list;
}

// 640 × 620 pixels: over two pixels a unit, so that the pixel of a value gives the value back,
// also through a drag's offset from the point it took.
class PointGraphTest : public ::testing::Test {
  protected:
    PointGraphTest() {
        graph_.resize(640, 620);
        graph_.show();
    }

    QPointF Place(int x, int y) const {
        return graph_.PixelOf({static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y)});
    }
    QPoint At(int x, int y) const { return Place(x, y).toPoint(); }
    // The pixel that holds the place of (x, y).
    QPoint Pixel(int x, int y) const {
        return {static_cast<int>(Place(x, y).x()), static_cast<int>(Place(x, y).y())};
    }
    void Click(int x, int y, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(&graph_, button, {}, At(x, y));
    }
    void Drag(Point from, const Points& through) {
        QTest::mousePress(&graph_, Qt::LeftButton, {}, At(from.x, from.y));
        for (const Point& p : through) {
            QTest::mouseMove(&graph_, At(p.x, p.y));
        }
        QTest::mouseRelease(&graph_, Qt::LeftButton, {}, At(through.back().x, through.back().y));
    }
    Points Shown() const {
        const PointList& list = graph_.Points();
        return {list.points.begin(), list.points.begin() + list.Count()};
    }

    QApplication& app_ = testing::GuiApp();
    LBrainWaveWindow graph_;
};

TEST_F(PointGraphTest, ClicksAddDragsMoveAndRightClicksOrDeleteRemovePoints) {
    QSignalSpy changed(&graph_, &LBrainWaveWindow::pointsChanged);
    QSignalSpy read_out(&graph_, &LBrainWaveWindow::pointerMoved);
    Click(100, 200);  // on empty space
    Click(50, 60);    // before it: the list stays in x order
    EXPECT_EQ(Shown(), (Points{{0, 128}, {50, 60}, {100, 200}, {255, 128}}));
    EXPECT_EQ(changed.count(), 2);

    // A point dragged (two moves, two changes) past its neighbour stops at the neighbour's x,
    // and the read-out gives the point, not the pointer; an end moves only up and down. Picking
    // a point up changes nothing.
    Drag({100, 200}, {{70, 100}, {30, 10}});
    EXPECT_EQ(read_out.last(), (QList<QVariant>{50, 10}));
    Drag({255, 128}, {{200, 250}});
    Click(0, 128);
    EXPECT_EQ(Shown(), (Points{{0, 128}, {50, 60}, {50, 10}, {255, 250}}));
    EXPECT_EQ(changed.count(), 5);

    // Right clicks on an end and on empty space remove nothing; on a point they remove it.
    Click(0, 128, Qt::RightButton);
    Click(150, 60, Qt::RightButton);
    Click(50, 60, Qt::RightButton);
    EXPECT_EQ(Shown(), (Points{{0, 128}, {50, 10}, {255, 250}}));
    // Delete takes the selected point, never an end.
    Click(50, 10);
    QTest::keyClick(&graph_, Qt::Key_Delete);
    Click(255, 250);
    QTest::keyClick(&graph_, Qt::Key_Delete);
    EXPECT_EQ(Shown(), (Points{{0, 128}, {255, 250}}));
    EXPECT_EQ(changed.count(), 7);
}

TEST_F(PointGraphTest, AStrokeLaysItsCurveOverThePointsItPasses) {
    graph_.SetPoints(ListOf({{0, 128}, {60, 30}, {120, 220}, {200, 40}, {255, 128}}));
    // From x 20 to 180 along y = 90 + x ÷ 2, in steps of 2 units.
    Points stroke;
    for (int x = 22; x <= 180; x += 2) {
        stroke.push_back({static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(90 + x / 2)});
    }
    Drag({20, 100}, stroke);
    const Points shown = Shown();
    // The points it passed over went; the one beyond it stays. The press's point followed the
    // pointer until the stroke had gone a step, then one was laid every step and at the end.
    ASSERT_EQ(shown.size(), 24U);
    EXPECT_EQ(shown[0], (Point{0, 128}));
    EXPECT_EQ(shown[21], (Point{180, 180}));
    EXPECT_EQ(shown[22], (Point{200, 40}));
    for (std::size_t i = 1; i <= 21; ++i) {
        EXPECT_EQ(shown[i].y, 90 + shown[i].x / 2) << i;
        if (i > 1 && i < 21) {
            EXPECT_EQ(shown[i].x - shown[i - 1].x, LBrainWaveWindow::kStrokeStep) << i;
        }
    }
}

TEST_F(PointGraphTest, RandomEditsKeepTheListInOrderWithItsEndsAndAtMost64Points) {
    std::mt19937 random(24);
    std::uniform_int_distribution<int> unit(0, 255);
    QSignalSpy changed(&graph_, &LBrainWaveWindow::pointsChanged);
    int most = 0;
    for (int action = 0; action < 400; ++action) {
        const Points before = Shown();
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
            const Point p = before[static_cast<std::size_t>(unit(random)) % before.size()];
            Click(p.x, p.y, Qt::RightButton);
        } else {
            QTest::keyClick(&graph_, Qt::Key_Delete);
        }
        const Points after = Shown();
        ASSERT_TRUE(after.size() >= 2 && after.size() <= 64) << action;
        ASSERT_EQ(after.front().x, 0) << action;
        ASSERT_EQ(after.back().x, 255) << action;
        ASSERT_TRUE(std::is_sorted(after.begin(), after.end(), [](Point a, Point b) {
            return a.x < b.x;
        })) << action;
        EXPECT_EQ(changed.count() > signals_before, before != after) << action;
        most = std::max(most, static_cast<int>(after.size()));
    }
    EXPECT_EQ(most, 64);  // the limit was met, and held
}

TEST_F(PointGraphTest, TheCurveIsDrawnThroughThePoints) {
    graph_.SetPoints(ListOf({{0, 128}, {128, 200}, {255, 200}}));
    graph_.SetAxes([](double) { return std::vector<GraphTick>{{64, "64"}}; }, {});
    Click(128, 200);  // selected: drawn white
    QImage image = graph_.grab().toImage();
    EXPECT_EQ(image.pixelColor(Pixel(0, 128)), LBrainWaveWindow::kCurve);
    EXPECT_EQ(image.pixelColor(Pixel(128, 200)), LBrainWaveWindow::kSelected);
    // Along the lines between the points, not beside them; the grid line at x 64.
    EXPECT_EQ(image.pixelColor(Pixel(192, 200)), LBrainWaveWindow::kCurve);
    EXPECT_EQ(image.pixelColor(Pixel(64, 164)), LBrainWaveWindow::kCurve);
    EXPECT_EQ(image.pixelColor(Pixel(192, 100)), LBrainWaveWindow::kBackground);
    EXPECT_NE(image.pixelColor(Pixel(64, 30)), LBrainWaveWindow::kBackground);

    graph_.setEnabled(false);
    image = graph_.grab().toImage();
    EXPECT_EQ(image.pixelColor(Pixel(192, 100)), LBrainWaveWindow::kDisabledBackground);
    EXPECT_NE(image.pixelColor(Pixel(192, 200)), LBrainWaveWindow::kCurve);
}

}  // namespace
}  // namespace sonvara
