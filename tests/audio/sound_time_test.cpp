#include "audio/sound_time.h"

#include <gtest/gtest.h>

#include <climits>

namespace sonvara {
namespace {

TEST(LSoundTime, TextFormsRoundAsEachFormSays) {
    LSoundTime negative(-1500);
    EXPECT_EQ(negative.Hundredths(), "-0:00:01.50");
    LSoundTime almost_hour(3599999);
    EXPECT_EQ(almost_hour.Hundredths(), "1:00:00.00");
    EXPECT_EQ(almost_hour.MillisecondsText(), "0:59:59.999");
    EXPECT_EQ(almost_hour.TenthsRounded(), "1:00:00.0");
    EXPECT_EQ(almost_hour.Tenths(), "0:59:59.9");
    EXPECT_EQ(almost_hour.Seconds(), "1:00:00");
    EXPECT_EQ(almost_hour.MinutesSeconds(), "59:59");

    LSoundTime long_file(90061234);  // 25 h 1 min 1.234 s: hours do not wrap at 24
    EXPECT_EQ(long_file.Hundredths(), "25:01:01.23");
    EXPECT_EQ(long_file.MinutesSeconds(), "01:01");
    EXPECT_EQ(LSoundTime(499).Seconds(), "0:00:00");
    EXPECT_EQ(LSoundTime(500).Seconds(), "0:00:01");
    EXPECT_EQ(LSoundTime(INT_MIN).Hundredths(), "-596:31:23.65");
}

TEST(LSoundTime, ParseReadsFieldsFractionAndSign) {
    EXPECT_EQ(LSoundTime::Parse("1:02:03.5").Milliseconds(), 3723500);
    EXPECT_EQ(LSoundTime::Parse("90").Milliseconds(), 90000);
    EXPECT_EQ(LSoundTime::Parse("0:00:01.50").Milliseconds(), 1500);
    EXPECT_EQ(LSoundTime::Parse("-0:01.25").Milliseconds(), -1250);
    EXPECT_EQ(LSoundTime::Parse("1:01.25-").Milliseconds(), -61250);
    EXPECT_EQ(LSoundTime::Parse("1.23456").Milliseconds(), 1234) << "a fourth digit adds nothing";
    EXPECT_EQ(LSoundTime::Parse("1.2.3").Milliseconds(), 1230) << "a second dot is ignored";
    EXPECT_EQ(LSoundTime::Parse(" 2 s").Milliseconds(), 2000);
    EXPECT_EQ(LSoundTime::Parse("").Milliseconds(), 0);
    EXPECT_EQ(LSoundTime::Parse("99999999999999").Milliseconds(), INT_MAX);
    // Every shown text reads back as the value it shows.
    for (int ms : {0, 10, 59990, 3599990, 86400000}) {
        EXPECT_EQ(LSoundTime::Parse(LSoundTime(ms).Hundredths()).Milliseconds(), ms);
        EXPECT_EQ(LSoundTime::Parse(LSoundTime(ms + 7).MillisecondsText()).Milliseconds(), ms + 7);
    }
}

TEST(LSoundTime, FrameConversionsDoNotOverflowOnLongFiles) {
    // 13 hours at 44100 Hz: frames × 1000 does not fit 32 bits, the two-part form does.
    const std::int32_t frames = 13 * 3600 * 44100 + 22050;
    EXPECT_EQ(MillisecondsFromFrames(frames, 44100), 13 * 3600 * 1000 + 500);
    EXPECT_EQ(FramesFromMilliseconds(13 * 3600 * 1000 + 500, 44100), frames);
    EXPECT_EQ(FramesFromMilliseconds(1, 44100), 44);
    EXPECT_EQ(MillisecondsFromFrames(44099, 44100), 999);
    EXPECT_EQ(FramesFromMilliseconds(INT_MAX, 96000), INT_MAX) << "limited, not wrapped";

    LSoundTime time(1234);
    time.SetSamples(88200, 0);
    EXPECT_EQ(time.Milliseconds(), 1234) << "a rate of 0 keeps the old value";
    time.SetSamples(88200, 44100);
    EXPECT_EQ(time.Milliseconds(), 2000);
}

}  // namespace
}  // namespace sonvara
