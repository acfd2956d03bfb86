#include "core/date_time.h"

#include <gtest/gtest.h>

#include <ctime>
#include <limits>
#include <optional>

#include "tests/support/scratch_folder.h"

namespace sonvara {
namespace {

// Sets TZ for the test and makes the C library take it up, before and after.
class ScopedTimeZone {
  public:
    explicit ScopedTimeZone(const char* zone) : env_(std::in_place, "TZ", zone) { ::tzset(); }
    ~ScopedTimeZone() {
        env_.reset();
        ::tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

  private:
    std::optional<testing::ScopedEnv> env_;
};

TEST(LDateTime, TextsShowThePaddedLocalTimeOrNothing) {
    struct Case {
        std::time_t seconds;
        const char* zone;
        const char* date;
        const char* time;
    };
    for (const Case& c : {
             Case{1700000000, "UTC0", "2023-11-14", "22:13:20"},
             Case{1700000000, "EAST-2", "2023-11-15", "00:13:20"},  // two hours east: next day
             Case{946688461, "UTC0", "2000-01-01", "01:01:01"},
             Case{-1, "UTC0", "1969-12-31", "23:59:59"},
             Case{-46383303233, "UTC0", "0500-03-04", "05:06:07"},
             Case{0, "UTC0", "", ""},  // no time set
             // Beyond the years struct tm can hold: there is no local time.
             Case{std::numeric_limits<std::time_t>::max(), "UTC0", "", ""},
         }) {
        ScopedTimeZone zone(c.zone);
        const LDateTime moment(c.seconds);
        EXPECT_EQ(moment.DateText(), c.date) << c.seconds << " " << c.zone;
        EXPECT_EQ(moment.TimeText(), c.time) << c.seconds << " " << c.zone;
    }
    EXPECT_FALSE(LDateTime().IsSet());
}

}  // namespace
}  // namespace sonvara
