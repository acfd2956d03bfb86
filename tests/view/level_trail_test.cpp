#include "view/columns/level_trail.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace sonvara {
namespace {

TEST(LevelTrail, HeightsAreAmplitudesAndSqueezedColumnsLoseNoPeak) {
    EXPECT_FLOAT_EQ(TrailHeight(0), 1.0F);
    EXPECT_NEAR(TrailHeight(-6), 0.5F, 0.01F);
    EXPECT_EQ(TrailHeight(-60), 0.0F);
    EXPECT_EQ(TrailHeight(3), 1.0F);

    std::mt19937 random(7);
    std::uniform_real_distribution<float> height(0.0F, 1.0F);
    for (const int reports : {0, 5, 320, 321, 1000, 4567}) {
        std::vector<float> heights(static_cast<std::size_t>(reports));
        for (float& h : heights) {
            h = height(random);
        }
        const std::vector<float> columns = TrailColumns(heights, 320);
        ASSERT_EQ(columns.size(), std::min<std::size_t>(heights.size(), 320)) << reports;
        if (reports <= 320) {
            EXPECT_EQ(columns, heights);
            continue;
        }
        // Each report lies under its column, and each column is one of its reports.
        for (std::size_t i = 0; i < heights.size(); ++i) {
            EXPECT_LE(heights[i], columns[i * 320 / heights.size()]);
        }
        EXPECT_EQ(*std::max_element(columns.begin(), columns.end()),
                  *std::max_element(heights.begin(), heights.end()));
    }
    EXPECT_TRUE(TrailColumns({0.5F}, 0).empty());
}

}  // namespace
}  // namespace sonvara
