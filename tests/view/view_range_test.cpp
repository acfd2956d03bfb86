#include "view/view_range.h"

#include <gtest/gtest.h>

namespace sonvara {
namespace {

TEST(ViewRangeTest, ZoomInHalvesAroundTheCursorWithinTheDocument) {
    EXPECT_EQ(ZoomIn({0, 10000}, 5000, 10000), (ViewRange{2500, 7500}));
    EXPECT_EQ(ZoomIn({0, 10000}, 1000, 10000), (ViewRange{0, 5000}));
    EXPECT_EQ(ZoomIn({0, 10000}, 9900, 10000), (ViewRange{7400, 10000}));
    // Never shorter than 100 frames.
    EXPECT_EQ(ZoomIn({0, 150}, 75, 10000), (ViewRange{25, 125}));
    EXPECT_EQ(ZoomIn({25, 125}, 75, 10000), (ViewRange{25, 125}));
}

TEST(ViewRangeTest, ZoomOutDoublesAndAddsAQuarterOnTheLeft) {
    EXPECT_EQ(ZoomOut({4000, 5000}, 10000), (ViewRange{3500, 5500}));
    EXPECT_EQ(ZoomOut({0, 8000}, 10000), (ViewRange{0, 10000}));
    EXPECT_EQ(ZoomOut({9000, 10000}, 10000), (ViewRange{8500, 10000}));
    EXPECT_EQ(ZoomOut({1, 2}, 10000), (ViewRange{1, 3}));  // round(1 - 0.5) = 1
}

TEST(ViewRangeTest, ZoomSelectionNeedsASelection) {
    EXPECT_FALSE(ZoomSelection(100, 100, 1000));
    EXPECT_FALSE(ZoomSelection(200, 100, 1000));
    EXPECT_EQ(ZoomSelection(100, 300, 1000), (ViewRange{100, 300}));
    EXPECT_EQ(ZoomSelection(900, 1300, 1000), (ViewRange{900, 1000}));
}

TEST(ViewRangeTest, TheScrollBarMovesTheCursorAndTheViewFollows) {
    EXPECT_EQ(ScrollStep(100000, 44100, false), 11800);
    EXPECT_EQ(ScrollStep(100000, 44100, true), 188200);
    EXPECT_EQ(ScrollStep(1000, 44100, false), 0);
    EXPECT_EQ(ScrollThumb(0, 44100), 0);
    EXPECT_EQ(ScrollThumb(100, 44100), 22050);
    EXPECT_EQ(ScrollThumb(kScrollRange, 44100), 44100);

    EXPECT_EQ(FollowCursor({1000, 2000}, 1500, 10000), (ViewRange{1000, 2000}));
    EXPECT_EQ(FollowCursor({1000, 2000}, 5000, 10000), (ViewRange{4500, 5500}));
    EXPECT_EQ(FollowCursor({1000, 2000}, 9900, 10000), (ViewRange{9000, 10000}));
    EXPECT_EQ(FollowCursor({1000, 2000}, 100, 10000), (ViewRange{0, 1000}));
}

}  // namespace
}  // namespace sonvara
