#include "view/player_wave_window.h"

#include <gtest/gtest.h>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include "tests/document/document_fixture.h"
#include "tests/view/gui_test_app.h"
#include "view/wave_palette.h"

namespace sonvara {
namespace {

// Two seconds at 8000 Hz, loud in the first and silent in the second, over 100 columns (160
// frames a column).
class PlayerWaveWindowTest : public testing::DocumentTest {
  protected:
    PlayerWaveWindowTest() {
        std::vector<Sample> samples(16000, 0);
        for (std::size_t f = 0; f < 8000; ++f) {
            samples[f] = f % 2 == 0 ? 0x40000 : -0x40000;
        }
        window_.resize(102, 61);
        window_.Start(FromSamples(samples, 1));
        window_.SetRequest(0, 16000);
        window_.show();
        EXPECT_TRUE(window_.WaitForColumns());
        QTest::qWait(10);
    }

    QApplication& app_ = testing::GuiApp();
    LWaveWindow window_;
};

TEST_F(PlayerWaveWindowTest, DrawsPeaksThePositionRangeAndTheCursor) {
    ASSERT_EQ(window_.objectName(), "LWaveWindow");
    // Half scale is past the display's saturation: full height.
    EXPECT_EQ(window_.Columns().upper[10], 255);
    EXPECT_EQ(window_.Columns().upper[60], 0);

    window_.SetPosition(12000, 800);  // columns 75 to 80
    const WavePalette colours = WavePalette::For(window_);
    const QImage image = window_.grab().toImage();
    EXPECT_EQ(image.pixelColor(1 + 20, 5), colours.peak);
    EXPECT_EQ(image.pixelColor(1 + 75, 5), colours.cursor);
    EXPECT_EQ(image.pixelColor(1 + 78, 5), colours.position);
    EXPECT_EQ(image.pixelColor(1 + 90, 5), colours.background);
}

TEST_F(PlayerWaveWindowTest, AClickSetsThePositionWithoutMarks) {
    QSignalSpy position(&window_, &LWaveWindow::positionSet);
    QTest::mousePress(&window_, Qt::LeftButton, {}, QPoint(31, 30));
    QTest::mouseMove(&window_, QPoint(61, 30));
    EXPECT_EQ(position.count(), 0);
    QTest::mouseRelease(&window_, Qt::LeftButton, {}, QPoint(61, 30));
    ASSERT_EQ(position.count(), 1);
    EXPECT_EQ(position.at(0).at(0).toInt(), 9600);  // column 60
    EXPECT_EQ(window_.PositionStart(), 9600);
    EXPECT_EQ(window_.MarkFrom(), window_.MarkTo());
}

}  // namespace
}  // namespace sonvara
