#pragma once
// ClockPacer: lets frames pass at a sample rate in real time, for outputs that have no device to
// hold them back. Pace(n) returns when the n frames are due. After a gap (a pause, an empty queue)
// the clock starts afresh instead of rushing to catch up.

#include <chrono>
#include <cstdint>

namespace sonvara {

class ClockPacer {
  public:
    explicit ClockPacer(std::int32_t sample_rate);

    void Pace(std::int32_t frames);

  private:
    using Clock = std::chrono::steady_clock;

    std::int32_t sample_rate_;
    Clock::time_point origin_{};
    std::int64_t frames_ = 0;  // since the origin
    bool started_ = false;
};

}  // namespace sonvara
