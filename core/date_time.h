#pragma once
// LDateTime: one moment, as seconds since 1970-01-01 00:00 UTC, shown in local time. The value 0
// means that no time is set; it shows as empty texts.

#include <compare>
#include <ctime>
#include <string>

namespace sonvara {

class LDateTime {
  public:
    LDateTime() = default;
    explicit LDateTime(std::time_t seconds) : seconds_(seconds) {}

    static LDateTime Now();

    std::time_t Seconds() const { return seconds_; }
    bool IsSet() const { return seconds_ != 0; }

    // "YYYY-MM-DD" and "HH:MM:SS" of the local time; "" when no time is set or the value has no
    // local time (a year beyond what struct tm holds).
    std::string DateText() const;
    std::string TimeText() const;

    friend auto operator<=>(const LDateTime&, const LDateTime&) = default;

  private:
    std::time_t seconds_ = 0;
};

}  // namespace sonvara
