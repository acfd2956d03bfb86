#include "view/wave_window.h"

#include "view/wave_palette.h"

#include <gtest/gtest.h>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include <cmath>

#include "tests/document/document_fixture.h"
#include "tests/view/gui_test_app.h"

namespace sonvara {
namespace {

// 100 columns (102 pixels less the borders) over a 1000-frame document: ten frames a column.
class WaveWindowTest : public testing::DocumentTest {
  protected:
    WaveWindowTest() {
        window_.resize(102, 61);
        std::vector<Sample> samples(1000);
        for (std::size_t f = 0; f < samples.size(); ++f) {
            samples[f] = f % 2 == 0 ? 0x40000 : -0x40000;  // half scale, both ways
        }
        document_ = FromSamples(samples, 1);
        window_.Start(document_, {});
        window_.SetDataEnd(1000);
        window_.SetRequest(0, 1000);
        window_.show();
        EXPECT_TRUE(window_.WaitForColumns());
    }

    QColor PixelAt(int x, int y) { return window_.grab().toImage().pixelColor(x, y); }

    QApplication& app_ = testing::GuiApp();  // before any widget
    LCutListAudio document_;
    LSVWaveWindow window_;
};

TEST_F(WaveWindowTest, ClickSetsThePositionAndDragsSelectEitherWay) {
    ASSERT_EQ(window_.objectName(), "LSVWaveWindow");
    ASSERT_EQ(window_.ColumnCount(), 100);
    QSignalSpy position(&window_, &LSVWaveWindow::positionSet);
    QSignalSpy marks(&window_, &LSVWaveWindow::marksChanged);

    QTest::mouseClick(&window_, Qt::LeftButton, {}, QPoint(31, 30));
    ASSERT_EQ(position.count(), 1);
    EXPECT_EQ(position.takeFirst().at(0).toInt(), 300);
    EXPECT_EQ(window_.PositionStart(), 300);
    EXPECT_EQ(window_.MarkFrom(), 300);
    EXPECT_EQ(window_.MarkTo(), 300);

    // From right to left past nothing: the marks run from the pointer to the origin.
    QTest::mousePress(&window_, Qt::LeftButton, {}, QPoint(81, 30));
    QTest::mouseMove(&window_, QPoint(51, 30));
    EXPECT_EQ(window_.MarkFrom(), 500);
    EXPECT_EQ(window_.MarkTo(), 800);
    QTest::mouseMove(&window_, QPoint(21, 30));
    QTest::mouseRelease(&window_, Qt::LeftButton, {}, QPoint(21, 30));
    EXPECT_EQ(window_.MarkFrom(), 200);
    EXPECT_EQ(window_.MarkTo(), 800);
    EXPECT_EQ(window_.PositionStart(), 200);
    ASSERT_GE(marks.count(), 2);
    EXPECT_EQ(marks.last().at(0).toInt(), 200);
    EXPECT_EQ(marks.last().at(1).toInt(), 800);

    // A drag past the left edge stops at the first frame.
    QTest::mousePress(&window_, Qt::LeftButton, {}, QPoint(41, 30));
    QTest::mouseMove(&window_, QPoint(-20, 30));
    QTest::mouseRelease(&window_, Qt::LeftButton, {}, QPoint(-20, 30));
    EXPECT_EQ(window_.MarkFrom(), 0);
    EXPECT_EQ(window_.MarkTo(), 400);
}

TEST_F(WaveWindowTest, PaintsTheWaveTheMarksTheCursorAndTheOutside) {
    const WavePalette colours = WavePalette::For(window_);
    window_.SetPosition(100, 0);
    window_.SetMarks(500, 700);

    // Half scale: the wave covers the middle half of the height, its loudness (a square wave's
    // is its peak) all of it; the background is above it.
    EXPECT_EQ(PixelAt(31, 20), colours.rms);
    EXPECT_EQ(PixelAt(31, 3), colours.background);
    EXPECT_EQ(PixelAt(61, 3), colours.selection);
    EXPECT_EQ(PixelAt(61, 20), colours.rms);
    EXPECT_EQ(PixelAt(11, 3), colours.cursor);
    EXPECT_EQ(PixelAt(0, 30), colours.frame);
    EXPECT_EQ(PixelAt(101, 30), colours.frame);

    // A cursor at the very end of the data is drawn in the last column.
    window_.SetPosition(1000, 0);
    EXPECT_EQ(PixelAt(100, 3), colours.cursor);

    // A view twice as long as the data: the right half lies outside it.
    window_.SetRequest(0, 2000);
    ASSERT_TRUE(window_.WaitForColumns());
    window_.SetPosition(0, 0);
    EXPECT_EQ(PixelAt(11, 3), colours.background);
    EXPECT_EQ(PixelAt(80, 3), colours.outside);
    EXPECT_EQ(PixelAt(80, 20), colours.outside);

    // A dark desktop gets the dark variant.
    QPalette dark = window_.palette();
    dark.setColor(QPalette::Window, QColor(30, 30, 30));
    window_.setPalette(dark);
    EXPECT_TRUE(WavePalette::For(window_).dark);
    EXPECT_EQ(PixelAt(11, 3), WavePalette::Dark().background);
}

// Zoomed in until a frame spans several columns, the frames are drawn as a line through their
// values (+half scale and -half scale in turn), with a dot on each frame.
TEST_F(WaveWindowTest, CloseViewsDrawTheFramesAsALineWithDots) {
    window_.SetRequest(100, 10);  // ten columns a frame
    ASSERT_TRUE(window_.WaitForColumns());
    const WavePalette colours = WavePalette::For(window_);
    const QImage image = window_.grab().toImage();
    const WaveColumnMapping mapping = window_.Mapping();
    const double mid = 1 + (window_.height() - 2) / 2.0;
    const double half = (window_.height() - 2) / 4.0;  // half scale is a quarter of the height
    auto y_of = [&](std::int32_t frame) { return frame % 2 == 0 ? mid - half : mid + half; };
    auto drawn = [&](double x, double y) {
        return image.pixelColor(static_cast<int>(std::lround(x)),
                                static_cast<int>(std::lround(y))) != colours.background;
    };
    for (std::int32_t frame = 101; frame < 109; ++frame) {
        const double x = window_.ColumnX(frame * mapping.Scale() - mapping.First());
        // The dot, beside the frame where the steep line alone would leave the background.
        EXPECT_TRUE(drawn(x - 1.2, y_of(frame)) && drawn(x + 1.2, y_of(frame))) << frame;
        // A quarter of the way to the next frame the line is a quarter of the way there.
        const double step = 10.0 / 4;
        EXPECT_TRUE(drawn(x + step, y_of(frame) + (y_of(frame + 1) - y_of(frame)) / 4)) << frame;
        EXPECT_FALSE(drawn(x, 3)) << frame;
    }
}

// The columns a fresh computation gives for `length` frames from `start` over 100 columns.
WaveColumns FreshColumns(const LCutListAudio& document, std::int32_t start, std::int32_t length) {
    WaveColumns columns;
    ComputeWaveColumns(document, WaveColumnMapping(start, length, 100), 0, 100, {}, columns);
    return columns;
}

void ExpectSameColumns(const WaveColumns& shown, const WaveColumns& fresh) {
    for (std::size_t c = 0; c < 100; ++c) {
        EXPECT_EQ(shown.upper[c], fresh.upper[c]) << c;
        EXPECT_EQ(shown.lower[c], fresh.lower[c]) << c;
    }
}

TEST_F(WaveWindowTest, AScrollComputesOnlyTheUncoveredColumns) {
    // A ramp, so that every column differs from its neighbours.
    std::vector<Sample> ramp(4000);
    for (std::size_t f = 0; f < ramp.size(); ++f) {
        ramp[f] = static_cast<Sample>(f * 128);
    }
    const LCutListAudio document = FromSamples(ramp, 1);
    window_.Start(document, {});
    window_.SetDataEnd(4000);
    window_.SetRequest(0, 1000);
    ASSERT_TRUE(window_.WaitForColumns());
    EXPECT_EQ(window_.ComputedColumns(), 100);

    // Fifty frames on: five columns uncovered, plus the one at the seam.
    window_.SetRequest(50, 1000);
    ASSERT_TRUE(window_.WaitForColumns());
    EXPECT_EQ(window_.ComputedColumns(), 106);
    EXPECT_EQ(window_.Mapping().Start(), 50);
    ExpectSameColumns(window_.Columns(), FreshColumns(document, 50, 1000));

    // Back to the start and on to frame 20.
    window_.SetRequest(0, 1000);
    window_.SetRequest(20, 1000);  // merged or not, the last one is shown
    ASSERT_TRUE(window_.WaitForColumns());
    ExpectSameColumns(window_.Columns(), FreshColumns(document, 20, 1000));
    const std::int64_t before = window_.ComputedColumns();
    EXPECT_LE(before, 106 + 6 + 6);

    // A scroll by a window or more, or another length, computes everything.
    window_.SetRequest(1020, 1000);
    ASSERT_TRUE(window_.WaitForColumns());
    EXPECT_EQ(window_.ComputedColumns(), before + 100);
    ExpectSameColumns(window_.Columns(), FreshColumns(document, 1020, 1000));
    window_.SetRequest(1020, 2000);
    ASSERT_TRUE(window_.WaitForColumns());
    EXPECT_EQ(window_.ComputedColumns(), before + 200);
}

TEST_F(WaveWindowTest, ADragBeyondAnEdgeTellsTheOwnerAndTheMarkFollowsTheView) {
    window_.SetRequest(0, 500);  // half the document: 5 frames a column
    ASSERT_TRUE(window_.WaitForColumns());
    QSignalSpy edges(&window_, &LSVWaveWindow::dragEdge);
    QSignalSpy marks(&window_, &LSVWaveWindow::marksChanged);

    QTest::mousePress(&window_, Qt::LeftButton, {}, QPoint(51, 30));  // frame 250
    QTest::mouseMove(&window_, QPoint(130, 30));
    ASSERT_EQ(edges.count(), 1);
    EXPECT_EQ(edges.takeFirst().at(0).toInt(), static_cast<int>(WaveEdge::kBeyondRight));
    EXPECT_EQ(window_.MarkTo(), 500);

    // The owner scrolls; the mark at the right edge goes with the view.
    marks.clear();
    window_.SetRequest(200, 500);
    ASSERT_TRUE(window_.WaitForColumns());
    EXPECT_EQ(window_.MarkFrom(), 250);
    EXPECT_EQ(window_.MarkTo(), 700);
    QCoreApplication::processEvents();
    ASSERT_GE(marks.count(), 1);
    EXPECT_EQ(marks.last().at(1).toInt(), 700);

    // Back inside, then out on the left, and let go there.
    QTest::mouseMove(&window_, QPoint(51, 30));
    ASSERT_EQ(edges.count(), 1);
    EXPECT_EQ(edges.takeFirst().at(0).toInt(), static_cast<int>(WaveEdge::kBackFromRight));
    QTest::mouseMove(&window_, QPoint(-5, 30));
    ASSERT_EQ(edges.count(), 1);
    EXPECT_EQ(edges.takeFirst().at(0).toInt(), static_cast<int>(WaveEdge::kBeyondLeft));
    window_.SetRequest(100, 500);
    ASSERT_TRUE(window_.WaitForColumns());
    EXPECT_EQ(window_.MarkFrom(), 100);
    EXPECT_EQ(window_.MarkTo(), 250);
    QTest::mouseRelease(&window_, Qt::LeftButton, {}, QPoint(-5, 30));
    ASSERT_EQ(edges.count(), 1);
    EXPECT_EQ(edges.takeFirst().at(0).toInt(), static_cast<int>(WaveEdge::kBackFromLeft));
    EXPECT_EQ(window_.PositionStart(), 100);

    // With the drag over, a scroll leaves the marks alone.
    window_.SetRequest(0, 500);
    ASSERT_TRUE(window_.WaitForColumns());
    EXPECT_EQ(window_.MarkFrom(), 100);
}

TEST_F(WaveWindowTest, AStoppedWindowIsGrayAndComputesNothing) {
    window_.Stop();
    EXPECT_FALSE(window_.isEnabled());
    window_.SetRequest(0, 500);
    EXPECT_FALSE(window_.WaitForColumns(std::chrono::milliseconds(50)));
    EXPECT_EQ(PixelAt(31, 30), window_.palette().color(QPalette::Disabled, QPalette::Window));
}

}  // namespace
}  // namespace sonvara
