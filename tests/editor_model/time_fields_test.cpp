#include "editor_model/time_fields.h"

#include <gtest/gtest.h>

namespace sonvara {
namespace {

TEST(TimeFieldsTest, PositionsShowInHundredthsAndTheLengthInMilliseconds) {
    LEditPositions positions;
    positions.selection_start = 22050;  // half a second at 44.1 kHz
    positions.selection_end = 66150;
    positions.cursor = 3661 * 44100;  // past an hour: no overflow on the way
    const TimeFieldTexts texts = MakeTimeFields(positions, 44100);
    EXPECT_EQ(texts.selection_start, "0:00:00.50");
    EXPECT_EQ(texts.selection_end, "0:00:01.50");
    EXPECT_EQ(texts.selection_length, "0:00:01.000");
    EXPECT_EQ(texts.cursor, "1:01:01.00");

    // Hundredths are rounded, the length is not: 1005 ms.
    positions = {};
    positions.selection_end = 8040;
    const TimeFieldTexts rounded = MakeTimeFields(positions, 8000);
    EXPECT_EQ(rounded.selection_end, "0:00:01.01");
    EXPECT_EQ(rounded.selection_length, "0:00:01.005");
    EXPECT_EQ(rounded.cursor, "0:00:00.00");
}

TEST(TimeFieldsTest, ARateOfZeroShowsZeroes) {
    LEditPositions positions;
    positions.selection_end = 5000;
    positions.cursor = 5000;
    const TimeFieldTexts texts = MakeTimeFields(positions, 0);
    EXPECT_EQ(texts.selection_end, "0:00:00.00");
    EXPECT_EQ(texts.selection_length, "0:00:00.000");
}

}  // namespace
}  // namespace sonvara
