// The graph editor on a screen of twice the pixel density (in the program of
// wave_window_hidpi_test.cpp, whose density is fixed when it starts): its squares and grid lines
// keep sharp edges on device pixels.

#include <gtest/gtest.h>
#include <QImage>

#include <cmath>

#include "tests/view/gui_test_app.h"
#include "view/point_graph.h"

namespace sonvara {
namespace {

TEST(PointGraphHiDpiTest, SquaresAndGridLinesAreWholeDevicePixels) {
    testing::GuiApp();
    LBrainWaveWindow graph;
    graph.resize(400, 300);
    PointList points;
    points.n_points = 3;
    points.points[1] = {128, 220};
    points.points[2] = {255, 220};
    graph.SetPoints(points);
    graph.SetAxes({}, [](double) { return std::vector<GraphTick>{{64, "50 %"}}; });
    graph.show();
    ASSERT_EQ(graph.devicePixelRatioF(), 2.0);
    const QImage image = graph.grab().toImage();
    ASSERT_EQ(image.width(), 800);

    // Along a row of the middle point's square above the line: 16 device pixels of the square,
    // with no blend at its edges.
    const QPointF centre = graph.PixelOf({128, 220}) * 2.0;
    const int row = static_cast<int>(centre.y()) - 6;
    int first = -1;
    int last = -1;
    int blended = 0;
    for (int x = static_cast<int>(centre.x()) - 12; x <= static_cast<int>(centre.x()) + 12; ++x) {
        const QColor colour = image.pixelColor(x, row);
        if (colour == LBrainWaveWindow::kCurve) {
            first = first < 0 ? x : first;
            last = x;
        } else if (colour != LBrainWaveWindow::kBackground) {
            ++blended;
        }
    }
    EXPECT_EQ(last - first + 1, 16);
    EXPECT_EQ(blended, 0);
    // Down the column beside the square: background, then its top edge in one step.
    const int column = first + 2;
    const int top = static_cast<int>(std::lround(centre.y() - 8));
    EXPECT_EQ(image.pixelColor(column, top - 1), LBrainWaveWindow::kBackground);
    EXPECT_EQ(image.pixelColor(column, top), LBrainWaveWindow::kCurve);

    // The grid line at y 64 is one device pixel high, away from the curve.
    const int grid_y = static_cast<int>(graph.PixelOf({200, 64}).y() * 2.0);
    const int grid_x = static_cast<int>(graph.PixelOf({200, 64}).x() * 2.0);
    int lit = 0;
    for (int y = grid_y - 3; y <= grid_y + 3; ++y) {
        lit += image.pixelColor(grid_x, y) != LBrainWaveWindow::kBackground ? 1 : 0;
    }
    EXPECT_EQ(lit, 1);
}

}  // namespace
}  // namespace sonvara
