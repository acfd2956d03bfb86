#pragma once
// LSoundTime: a position or length in milliseconds, with the texts the program shows for it and
// the parser for typed times. Also the two frame/millisecond conversions every part uses; both
// are done in two integer parts so that hour-long files do not overflow.

#include <cstdint>
#include <string>
#include <string_view>

namespace sonvara {

// (frames ÷ rate) × 1000 + ((frames mod rate) × 1000) ÷ rate. `rate` must be positive.
std::int32_t MillisecondsFromFrames(std::int32_t frames, std::int32_t rate);
// (ms ÷ 1000) × rate + ((ms mod 1000) × rate) ÷ 1000, limited to the 32-bit range.
std::int32_t FramesFromMilliseconds(std::int32_t milliseconds, std::int32_t rate);

class LSoundTime {
  public:
    LSoundTime() = default;
    explicit LSoundTime(std::int32_t milliseconds) : milliseconds_(milliseconds) {}

    // Keeps the old value when rate ≤ 0.
    void SetSamples(std::int32_t samples, std::int32_t rate);
    std::int32_t Milliseconds() const { return milliseconds_; }

    // The text forms. Negative values get a leading "-"; hours are not limited to 24.
    std::string Hundredths() const;        // h:mm:ss.hh, rounded (positions, bookmarks)
    std::string MillisecondsText() const;  // h:mm:ss.mmm (selection length)
    std::string TenthsRounded() const;     // h:mm:ss.t, rounded
    std::string Tenths() const;            // h:mm:ss.t, truncated
    std::string Seconds() const;           // h:mm:ss, rounded
    std::string MinutesSeconds() const;    // mm:ss, minutes modulo 60, truncated

    // Reads a typed time: digits, ":" between fields, "." before the fraction (tenths,
    // hundredths, thousandths), "-" anywhere for a negative time; other characters are skipped.
    // "1:02:03.5" is 3723500 ms, "90" is 90000 ms.
    static LSoundTime Parse(std::string_view text);

  private:
    std::int32_t milliseconds_ = 0;
};

}  // namespace sonvara
