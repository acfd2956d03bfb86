#include "view/columns/view_range.h"

#include <gtest/gtest.h>

#include <algorithm>

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

    EXPECT_EQ(FollowCursor({1000, 2000}, 1500, 10000), (ViewRange{1000, 2000}));
    EXPECT_EQ(FollowCursor({1000, 2000}, 5000, 10000), (ViewRange{4500, 5500}));
    EXPECT_EQ(FollowCursor({1000, 2000}, 9900, 10000), (ViewRange{9000, 10000}));
    EXPECT_EQ(FollowCursor({1000, 2000}, 100, 10000), (ViewRange{0, 1000}));
}

// The thumb shows the view's place and share of the document, and a thumb moved to a place shows
// the view there, for a short file and for an hour at sample zoom (more frames than an int
// scroll bar could count in steps of one).
TEST(ViewRangeTest, TheThumbFollowsTheViewOverTheWholeDocument) {
    const std::int32_t hour = 3600 * 44100;
    for (const std::int32_t length : {1000, 2003, hour}) {
        for (const std::int32_t view_length : {16, 100, length / 3, length}) {
            for (const double share : {0.0, 0.25, 0.5, 1.0}) {
                const auto start = static_cast<std::int32_t>((length - view_length) * share);
                const ViewRange view{start, start + view_length};
                const ScrollBarPlace place = ScrollBarFor(view, length);
                const double steps = kScrollSteps;
                EXPECT_EQ(place.maximum + place.page, kScrollSteps);
                EXPECT_NEAR(place.page,
                            std::max(view_length / static_cast<double>(length) * steps, 1.0), 1)
                    << length << " " << view_length;
                EXPECT_NEAR(place.value / steps, start / static_cast<double>(length), 2 / steps)
                    << length << " " << view_length << " " << share;
                // Back from the thumb: the same view, within what one step stands for.
                const ViewRange back = ViewAtThumb(place.value, view, length);
                EXPECT_EQ(back.end - back.start, view_length);
                EXPECT_NEAR(back.start, start, length / steps + 1);
            }
        }
    }
    // Half-way: the thumb's middle is the middle of the bar.
    const ScrollBarPlace half = ScrollBarFor({4500, 5500}, 10000);
    EXPECT_NEAR(half.value + half.page / 2.0, kScrollSteps / 2.0, 1);
}

TEST(ViewRangeTest, TheWheelScrollsAndZoomsAboutAFrame) {
    EXPECT_EQ(ScrollView({1000, 2000}, 100, 10000), (ViewRange{1100, 2100}));
    EXPECT_EQ(ScrollView({1000, 2000}, -5000, 10000), (ViewRange{0, 1000}));
    EXPECT_EQ(ScrollView({1000, 2000}, 9000, 10000), (ViewRange{9000, 10000}));
    // The anchor keeps its share of the view: a quarter in, before and after.
    EXPECT_EQ(ZoomAbout({1000, 2000}, 1250, 0.5, 10000), (ViewRange{1125, 1625}));
    EXPECT_EQ(ZoomAbout({1000, 2000}, 1250, 2.0, 10000), (ViewRange{750, 2750}));
    // Never shorter than kMinViewFrames, never longer than the document, always inside it.
    EXPECT_EQ(ZoomAbout({0, 20}, 10, 0.1, 10000).end - ZoomAbout({0, 20}, 10, 0.1, 10000).start,
              kMinViewFrames);
    EXPECT_EQ(ZoomAbout({1000, 9000}, 8000, 4.0, 10000), (ViewRange{0, 10000}));
    EXPECT_EQ(ZoomAbout({8000, 9000}, 8900, 3.0, 10000), (ViewRange{6200, 9200}));
    EXPECT_EQ(ZoomAbout({9000, 10000}, 9900, 3.0, 10000), (ViewRange{7000, 10000}));
}

}  // namespace
}  // namespace sonvara
