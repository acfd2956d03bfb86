#include "devices/clock_pacer.h"

#include <algorithm>
#include <thread>

namespace sonvara {
namespace {

// Falling behind by more than this means the output was idle, not slow.
constexpr auto kGap = std::chrono::milliseconds(50);

}  // namespace

ClockPacer::ClockPacer(std::int32_t sample_rate) : sample_rate_(std::max(sample_rate, 1)) {}

void ClockPacer::Pace(std::int32_t frames) {
    const auto due_at = [this] {
        return origin_ + std::chrono::nanoseconds(frames_ * 1'000'000'000 / sample_rate_);
    };
    const Clock::time_point now = Clock::now();
    if (!started_ || now > due_at() + kGap) {
        origin_ = now;
        frames_ = 0;
        started_ = true;
    }
    frames_ += frames;
    std::this_thread::sleep_until(due_at());
}

}  // namespace sonvara
