#include <gtest/gtest.h>
#include <QImage>

#include <QContextMenuEvent>
#include <QMenu>
#include <QPaintEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <limits>

#include "tests/view/gui_test_app.h"
#include "view/db_display.h"
#include "view/db_edit.h"

namespace sonvara {
namespace {

SoundLevels Levels(std::initializer_list<int> dbs) {
    SoundLevels levels;
    levels.channels = static_cast<std::uint8_t>(dbs.size());
    std::size_t c = 0;
    for (int db : dbs) {
        levels.level[c++] = static_cast<std::int8_t>(db);
    }
    return levels;
}

TEST(DBEditTest, ShowsDecibelsAndSilenceAndKeepsTypedValuesInItsRange) {
    testing::GuiApp();
    LDBEdit box;
    EXPECT_EQ(box.objectName(), "LDBEdit");
    box.SetValue(-127);
    EXPECT_EQ(box.text(), "--dB");
    box.SetValue(-6);
    EXPECT_EQ(box.text(), "-6dB");

    box.SetRange(-40, -6);
    box.show();
    QSignalSpy changed(&box, &LDBEdit::valueChanged);
    auto type = [&](const QString& text) {
        box.clear();
        QTest::keyClicks(&box, text);
        QTest::keyClick(&box, Qt::Key_Return);
    };
    type("-20 dB");
    EXPECT_EQ(box.Value(), -20);
    EXPECT_EQ(box.text(), "-20dB");
    type("-50");
    EXPECT_EQ(box.Value(), -40);
    type("loud");
    EXPECT_EQ(box.text(), "-40dB");
    QTest::keyClick(&box, Qt::Key_Up);
    EXPECT_EQ(box.text(), "-39dB");
    ASSERT_EQ(changed.count(), 3);
    EXPECT_EQ(changed.at(0).at(0).toInt(), -20);
    EXPECT_EQ(changed.at(1).at(0).toInt(), -40);
    EXPECT_EQ(changed.at(2).at(0).toInt(), -39);

    // The player's box reaches silence by typing "--".
    box.SetRange(-127, 12);
    type("--");
    EXPECT_EQ(box.Value(), -127);
    EXPECT_EQ(box.text(), "--dB");
}

// 200 pixels wide: a span of 192 pixels, 4 pixels a decibel, 0 dB at pixel 144.
class DBDisplayTest : public ::testing::Test {
  protected:
    DBDisplayTest() {
        meter_.resize(200, 21);
        meter_.show();
    }

    // The colours along row y of the span, as runs: how many pixels of each colour from x = 0.
    std::vector<std::pair<QColor, int>> Runs(int y) {
        const QImage image = meter_.grab().toImage();
        std::vector<std::pair<QColor, int>> runs;
        for (int x = 0; x < 192; ++x) {
            const QColor colour = image.pixelColor(x, y);
            if (runs.empty() || runs.back().first != colour) {
                runs.emplace_back(colour, 0);
            }
            ++runs.back().second;
        }
        return runs;
    }

    QApplication& app_ = testing::GuiApp();
    LDBDisplay meter_;
};

TEST_F(DBDisplayTest, BarsAreGreenBelowZeroRedAboveAndHoldTheirPeaks) {
    ASSERT_EQ(meter_.objectName(), "LDBDisplay");
    ASSERT_DOUBLE_EQ(meter_.SpanWidth(), 192);
    meter_.SetLevels(Levels({-12, 6}));

    // Channel 0 (top band): 24 dB above the floor, 96 green pixels, then its peak mark.
    auto top = Runs(4);
    ASSERT_GE(top.size(), 2U);
    EXPECT_EQ(top[0], std::make_pair(LDBDisplay::kGreen, 96));
    EXPECT_NE(top[1].first, LDBDisplay::kGreen);
    // Channel 1: green to 0 dB (144), red to +6 dB (168).
    auto bottom = Runs(16);
    ASSERT_GE(bottom.size(), 3U);
    EXPECT_EQ(bottom[0], std::make_pair(LDBDisplay::kGreen, 144));
    EXPECT_EQ(bottom[1], std::make_pair(LDBDisplay::kRed, 24));

    // Quieter levels: the bars shrink, the peak marks stay where they were.
    meter_.SetLevels(Levels({-30, -20}));
    top = Runs(4);
    EXPECT_EQ(top[0], std::make_pair(LDBDisplay::kGreen, 24));
    EXPECT_EQ(meter_.PeakHold(0), -12);
    EXPECT_EQ(meter_.PeakHold(1), 6);
    const QImage image = meter_.grab().toImage();
    EXPECT_NE(image.pixelColor(96, 4), image.pixelColor(90, 4));  // the mark lies beyond the bar
    EXPECT_EQ(image.pixelColor(90, 4), image.pixelColor(60, 4));  // unlit
    // The floor and silence draw no bar.
    meter_.SetLevels(Levels({-127, -36}));
    EXPECT_NE(Runs(4)[0].first, LDBDisplay::kGreen);
    EXPECT_NE(Runs(16)[0].first, LDBDisplay::kGreen);
}

// Tall enough, the meter labels its span in decibels along the bottom, a number centred on each
// of -24, -12, -6, 0 and +6 dB, and the bars keep the rest; a low meter is all bars.
TEST_F(DBDisplayTest, ATallMeterLabelsItsSpanInDecibels) {
    EXPECT_EQ(meter_.ScaleHeight(), 0);
    meter_.resize(200, 40);
    const int strip = meter_.ScaleHeight();
    ASSERT_GT(strip, 0);
    meter_.SetLevels(Levels({6, 6}));
    EXPECT_LE(meter_.BarRect(1).bottom(), 40 - strip);
    const QImage image = meter_.grab().toImage();
    const QColor back = image.pixelColor(199 - LDBDisplay::kClipWidth - 1, 39);
    for (const int db : LDBDisplay::kScaleDb) {
        const int x = static_cast<int>(meter_.BarLength(db));
        int drawn = 0;
        for (int y = 40 - strip; y < 40; ++y) {
            for (int dx = -4; dx <= 4; ++dx) {
                drawn += image.pixelColor(std::clamp(x + dx, 0, 199), y) != back ? 1 : 0;
            }
        }
        EXPECT_GT(drawn, 4) << db << " dB";
    }
}

TEST_F(DBDisplayTest, TheClipLightStaysOnUntilClicked) {
    meter_.SetLevels(Levels({11, 12}));
    EXPECT_FALSE(meter_.Clipped(0));
    EXPECT_TRUE(meter_.Clipped(1));
    meter_.SetLevels(Levels({-20, -20}));
    QImage image = meter_.grab().toImage();
    EXPECT_EQ(image.pixelColor(197, 16), LDBDisplay::kRed);
    EXPECT_NE(image.pixelColor(197, 4), LDBDisplay::kRed);
    QTest::mouseClick(&meter_, Qt::LeftButton);
    EXPECT_FALSE(meter_.Clipped(1));
    EXPECT_NE(meter_.grab().toImage().pixelColor(197, 16), LDBDisplay::kRed);
}

// The right-click menu turns the meter to the momentary loudness: one bar over -59 to -5 LUFS in
// its own colour, a scale in LUFS with its unit, the clip light still following the levels.
TEST_F(DBDisplayTest, ARightClickTurnsTheMeterToLoudnessInLufs) {
    QSignalSpy chosen(&meter_, &LDBDisplay::ReadingChosen);
    QString offered;
    QTimer::singleShot(50, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (const QAction* action : menu->actions()) {
            offered += action->text() + (action->isChecked() ? "*;" : ";");
        }
        menu->setActiveAction(menu->actions().at(1));
        QTest::keyClick(menu, Qt::Key_Return);
    });
    QContextMenuEvent right(QContextMenuEvent::Mouse, QPoint(20, 5),
                            meter_.mapToGlobal(QPoint(20, 5)));
    QApplication::sendEvent(&meter_, &right);
    EXPECT_EQ(offered, "&Nivel (RMS, dB)*;&Sonoridad momentánea (LUFS);");
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen.at(0).at(0).value<MeterReading>(), MeterReading::kMomentaryLoudness);
    ASSERT_EQ(meter_.Reading(), MeterReading::kMomentaryLoudness);

    // -23 LUFS is 36 of the 54 units: 128 of the 192 pixels, in both halves of the height.
    SoundLevels levels = Levels({-20, 12});
    levels.momentary = -23.2;
    meter_.SetLevels(levels);
    EXPECT_EQ(meter_.Channels(), 1);
    EXPECT_EQ(meter_.Level(0), -23);
    for (const int y : {4, 16}) {
        const auto runs = Runs(y);
        ASSERT_GE(runs.size(), 2U);
        EXPECT_EQ(runs[0], std::make_pair(LDBDisplay::kLoudness, 128));
    }
    EXPECT_TRUE(meter_.Clipped(0));
    EXPECT_EQ(meter_.grab().toImage().pixelColor(197, 4), LDBDisplay::kRed);
    // Silence draws no bar; the peak mark holds the loudest reading.
    levels.momentary = -std::numeric_limits<double>::infinity();
    meter_.SetLevels(levels);
    EXPECT_EQ(meter_.Level(0), -127);
    EXPECT_EQ(meter_.PeakHold(0), -23);
    EXPECT_NE(Runs(4)[0].first, LDBDisplay::kLoudness);

    // Tall enough, the scale names its unit at the left and labels -41 to -14 LUFS.
    meter_.resize(200, 40);
    const int strip = meter_.ScaleHeight();
    ASSERT_GT(strip, 0);
    const QImage image = meter_.grab().toImage();
    const QColor back = image.pixelColor(199 - LDBDisplay::kClipWidth - 1, 39);
    auto drawn_near = [&](int from, int to) {
        int drawn = 0;
        for (int y = 40 - strip; y < 40; ++y) {
            for (int x = std::max(from, 0); x <= std::min(to, 199); ++x) {
                drawn += image.pixelColor(x, y) != back ? 1 : 0;
            }
        }
        return drawn;
    };
    EXPECT_GT(drawn_near(0, 12), 4) << "the unit";
    for (const int lufs : LDBDisplay::kScaleLufs) {
        const int x = static_cast<int>(meter_.BarLength(lufs));
        EXPECT_GT(drawn_near(x - 4, x + 4), 4) << lufs << " LUFS";
    }
}

// Records the areas the meter repaints.
class PaintRecorder : public QObject {
  public:
    QRegion painted;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            painted += static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }
};

TEST_F(DBDisplayTest, ALevelChangeRepaintsOnlyTheStripBetweenTheOldAndNewEnds) {
    meter_.SetLevels(Levels({-12, -12}));
    QTest::qWait(20);
    PaintRecorder recorder;
    meter_.installEventFilter(&recorder);
    meter_.SetLevels(Levels({-10, -12}));
    QTest::qWait(20);
    meter_.removeEventFilter(&recorder);
    // From the old end (96) to the new one (104) and its peak mark, in the top band.
    const QRect painted = recorder.painted.boundingRect();
    ASSERT_FALSE(painted.isEmpty());
    EXPECT_GE(painted.left(), 94);
    EXPECT_LE(painted.right(), 108);
    EXPECT_LE(painted.bottom(), 10);
}

}  // namespace
}  // namespace sonvara
