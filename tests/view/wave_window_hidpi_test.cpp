// The waveform view on a screen of twice the pixel density: a program of its own, because the
// density is fixed when the application starts.

#include <gtest/gtest.h>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include <cstdlib>

#include "tests/document/document_fixture.h"
#include "tests/view/gui_test_app.h"
#include "view/db_display.h"
#include "view/wave_palette.h"
#include "view/wave_window.h"

namespace sonvara {
namespace {

const bool kDoubleDensity = [] { return setenv("QT_SCALE_FACTOR", "2", 1) == 0; }();

class WaveWindowHiDpiTest : public testing::DocumentTest {
  protected:
    QApplication& app_ = testing::GuiApp();
};

// A window 100 pixels wide has 200 columns, one a device pixel; the wave fills them, the cursor
// is drawn where its frame is, and a click finds the frame under the pointer.
TEST_F(WaveWindowHiDpiTest, ColumnsAreDevicePixels) {
    ASSERT_TRUE(kDoubleDensity);
    LSVWaveWindow window;
    window.resize(102, 61);
    window.show();
    ASSERT_EQ(window.devicePixelRatioF(), 2.0);
    EXPECT_EQ(window.ColumnCount(), 200);

    std::vector<Sample> samples(1000);
    for (std::size_t f = 0; f < samples.size(); ++f) {
        samples[f] = f % 2 == 0 ? 0x40000 : -0x40000;  // half scale, both ways
    }
    const LCutListAudio document = FromSamples(samples, 1);
    window.Start(document, {});
    window.SetDataEnd(1000);
    window.SetRequest(0, 1000);
    ASSERT_TRUE(window.WaitForColumns());
    EXPECT_EQ(window.Mapping().Width(), 200);
    window.SetPosition(500, 0);  // column 100: logical x 51, device x 102

    const QImage image = window.grab().toImage();
    ASSERT_EQ(image.width(), 204);
    const WavePalette colours = WavePalette::For(window);
    // The wave reaches the last device column; the cursor is one logical pixel at x 51.
    EXPECT_EQ(image.pixelColor(200, 50), colours.rms);
    EXPECT_EQ(image.pixelColor(200, 10), colours.background);
    EXPECT_EQ(image.pixelColor(102, 6), colours.cursor);
    EXPECT_EQ(image.pixelColor(103, 6), colours.cursor);
    EXPECT_NE(image.pixelColor(101, 6), colours.cursor);
    EXPECT_NE(image.pixelColor(104, 6), colours.cursor);

    QSignalSpy position(&window, &LSVWaveWindow::positionSet);
    QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(26, 30));  // column 50
    ASSERT_EQ(position.count(), 1);
    EXPECT_EQ(position.takeFirst().at(0).toInt(), 250);
}

// The level meter's bars end on device pixels: a span of 93 pixels puts -12 dB at 46.5, which
// is 93 device pixels of green.
TEST_F(WaveWindowHiDpiTest, LevelMeterBarsEndOnDevicePixels) {
    LDBDisplay meter;
    meter.resize(93 + LDBDisplay::kClipWidth + LDBDisplay::kClipGap, 10);
    meter.show();
    SoundLevels levels;
    levels.channels = 1;
    levels.level[0] = -12;
    meter.SetLevels(levels);
    const QImage image = meter.grab().toImage();
    ASSERT_EQ(image.width(), 2 * meter.width());
    int green = 0;
    while (green < image.width() && image.pixelColor(green, 10) == LDBDisplay::kGreen) {
        ++green;
    }
    EXPECT_EQ(green, 93);
}

}  // namespace
}  // namespace sonvara
