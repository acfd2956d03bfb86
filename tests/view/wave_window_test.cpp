#include "view/wave_window.h"

#include <gtest/gtest.h>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

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
    const QPalette& palette = window_.palette();
    const QColor wave = palette.color(QPalette::Active, QPalette::WindowText);
    const QColor back = palette.color(QPalette::Active, QPalette::Base);
    const QColor marked_back = palette.color(QPalette::Active, QPalette::Highlight);
    const QColor outside_back = palette.color(QPalette::Active, QPalette::Button);
    const QColor cursor(0, 255, 0);
    window_.SetPosition(100, 0);
    window_.SetMarks(500, 700);

    // Half scale: the wave covers the middle half of the height; the background is above it.
    EXPECT_EQ(PixelAt(31, 30), wave);
    EXPECT_EQ(PixelAt(31, 3), back);
    EXPECT_EQ(PixelAt(61, 3), marked_back);
    EXPECT_EQ(PixelAt(11, 3), cursor);
    EXPECT_EQ(PixelAt(0, 30), QColor(Qt::black));
    EXPECT_EQ(PixelAt(101, 30), QColor(Qt::white));

    // A cursor at the very end of the data is drawn in the last column.
    window_.SetPosition(1000, 0);
    EXPECT_EQ(PixelAt(100, 3), cursor);

    // A view twice as long as the data: the right half lies outside it.
    window_.SetRequest(0, 2000);
    window_.SetPosition(0, 0);
    EXPECT_EQ(PixelAt(11, 3), back);
    EXPECT_EQ(PixelAt(80, 3), outside_back);
    EXPECT_EQ(PixelAt(80, 30), palette.color(QPalette::Disabled, QPalette::WindowText));
}

}  // namespace
}  // namespace sonvara
