#include "view/columns/rulers.h"

#include <gtest/gtest.h>

#include <cmath>

namespace sonvara {
namespace {

// At every zoom from an hour to a handful of frames over 1000 columns: labels stay apart but
// not far apart, run in order, and say the time (or the frame) of their place.
TEST(RulersTest, TimeLabelsKeepTheirSpacingAndSayWhereTheyAre) {
    const std::int32_t rate = 44100;
    for (double frames_per_column = 3600.0 * rate / 1000; frames_per_column > 0.01;
         frames_per_column /= 3) {
        const double start = 1234567 + 0.5;
        const auto ticks = TimeRulerTicks(start, frames_per_column, 1000, rate, 80);
        double last = -1e9;
        int labels = 0;
        for (const RulerTick& tick : ticks) {
            ASSERT_GE(tick.column, 0);
            ASSERT_LE(tick.column, 1000);
            if (!tick.labelled) {
                continue;
            }
            ++labels;
            EXPECT_GE(tick.column - last, 80 - 1e-6) << frames_per_column;
            EXPECT_LE(tick.column + 80, 1000) << "a label cut at the right edge";
            last = tick.column;
            const double frame = start + tick.column * frames_per_column;
            if (tick.label.find(':') == std::string::npos) {
                // Frame numbers once a millisecond spans more than the spacing.
                EXPECT_LT(frames_per_column * 80, rate * 0.001);
                EXPECT_NEAR(std::stod(tick.label), frame, 1e-6);
            } else {
                const std::string expected = RulerTimeText(frame / rate, 3);
                // The label is the time rounded to the step's decimals: its leading part agrees.
                EXPECT_EQ(tick.label.substr(0, tick.label.find('.')),
                          expected.substr(0, expected.find('.')))
                    << frames_per_column;
            }
        }
        // Labels are at most about three spacings apart (steps go 1, 2, 5 or by minutes).
        EXPECT_GE(labels, 1000 / (80 * 3)) << frames_per_column;
    }
    EXPECT_EQ(RulerTimeText(0, 0), "0:00");
    EXPECT_EQ(RulerTimeText(61.5, 1), "1:01.5");
    EXPECT_EQ(RulerTimeText(3723.004, 3), "1:02:03.004");
}

TEST(RulersTest, LevelMarksSitAtTheirDecibelsAndDoNotCrowd) {
    for (const bool zoom : {false, true}) {
        const auto marks = LevelScaleMarks(200, zoom, 14);
        ASSERT_FALSE(marks.empty());
        double last = 200 + 14;
        for (const LevelMark& mark : marks) {
            EXPECT_NEAR(mark.offset, std::pow(10.0, mark.decibels / 20.0) * (zoom ? 8 : 1) * 200,
                        1e-9);
            EXPECT_LE(mark.offset, 200);
            EXPECT_GE(last - mark.offset, 14);
            last = mark.offset;
        }
        // Full scale at the edge without zoom; eight times taller puts -18.06 dB there.
        EXPECT_EQ(marks.front().decibels, zoom ? -21 : 0);
    }
}

}  // namespace
}  // namespace sonvara
