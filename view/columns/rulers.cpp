#include "view/columns/rulers.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace sonvara {
namespace {

struct TimeStep {
    double seconds;
    int minor;     // unlabelled intervals between two labels
    int decimals;  // of its labels
};

// Steps that read well on a clock: 1, 2, 5 in each decade of a second, then the divisions of a
// minute and of an hour.
constexpr std::array<TimeStep, 23> kTimeSteps = {{
    {0.001, 5, 3}, {0.002, 4, 3}, {0.005, 5, 3}, {0.01, 5, 2}, {0.02, 4, 2}, {0.05, 5, 2},
    {0.1, 5, 1},   {0.2, 4, 1},   {0.5, 5, 1},   {1, 5, 0},    {2, 4, 0},    {5, 5, 0},
    {10, 5, 0},    {15, 3, 0},    {30, 6, 0},    {60, 6, 0},   {120, 4, 0},  {300, 5, 0},
    {600, 5, 0},   {900, 3, 0},   {1800, 6, 0},  {3600, 6, 0}, {7200, 4, 0},
}};

// Frame steps below a millisecond: 1, 2, 5 in each decade.
double FrameStep(double min_frames) {
    for (double decade = 1;; decade *= 10) {
        for (double m : {1.0, 2.0, 5.0}) {
            if (m * decade >= min_frames) {
                return m * decade;
            }
        }
    }
}

}  // namespace

std::string RulerTimeText(double seconds, int decimals) {
    const double scale = std::pow(10.0, decimals);
    const auto units = static_cast<std::int64_t>(std::llround(seconds * scale));
    const auto whole = static_cast<std::int64_t>(units / static_cast<std::int64_t>(scale));
    const auto fraction = units % static_cast<std::int64_t>(scale);
    const std::int64_t hours = whole / 3600;
    const std::int64_t minutes = whole / 60 % 60;
    const std::int64_t secs = whole % 60;
    char text[48];
    if (hours > 0) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(hours),
                      static_cast<long long>(minutes), static_cast<long long>(secs));
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(minutes),
                      static_cast<long long>(secs));
    }
    std::string result = text;
    if (decimals > 0) {
        std::string digits = std::to_string(fraction);
        result += "." +
                  std::string(static_cast<std::size_t>(decimals) -
                                  std::min(digits.size(), static_cast<std::size_t>(decimals)),
                              '0') +
                  digits;
    }
    return result;
}

std::vector<RulerTick> TimeRulerTicks(double start, double frames_per_column, int columns,
                                      std::int32_t sample_rate, double label_columns) {
    std::vector<RulerTick> ticks;
    if (frames_per_column <= 0 || columns <= 0 || sample_rate <= 0) {
        return ticks;
    }
    const double min_frames = label_columns * frames_per_column;
    double step_frames = 0;
    int minor = 5;
    int decimals = -1;  // -1: frame numbers
    if (min_frames > sample_rate * 0.001) {
        const TimeStep* chosen = &kTimeSteps.back();
        for (const TimeStep& step : kTimeSteps) {
            if (step.seconds * sample_rate >= min_frames) {
                chosen = &step;
                break;
            }
        }
        step_frames = chosen->seconds * sample_rate;
        minor = chosen->minor;
        decimals = chosen->decimals;
    } else {
        step_frames = FrameStep(min_frames);
        minor = step_frames >= 5 ? 5 : static_cast<int>(step_frames);
    }
    const double minor_frames = step_frames / minor;
    const double end = start + columns * frames_per_column;
    for (auto k = static_cast<std::int64_t>(std::ceil(start / minor_frames));
         k * minor_frames <= end; ++k) {
        const double frame = static_cast<double>(k) * minor_frames;
        RulerTick tick;
        tick.column = (frame - start) / frames_per_column;
        // A label that would run past the right edge is left out, not cut.
        tick.labelled = k % minor == 0 && tick.column + label_columns <= columns;
        if (tick.labelled) {
            tick.label = decimals < 0 ? std::to_string(std::llround(frame))
                                      : RulerTimeText(frame / sample_rate, decimals);
        }
        ticks.push_back(std::move(tick));
    }
    return ticks;
}

std::vector<LevelMark> LevelScaleMarks(double half_height, bool vertical_zoom, double min_gap) {
    constexpr std::array<int, 17> kDecibels = {0,   -1,  -2,  -3,  -4,  -6,  -9,  -12, -15,
                                               -18, -21, -24, -30, -36, -42, -48, -60};
    const double gain = vertical_zoom ? 8.0 : 1.0;
    std::vector<LevelMark> marks;
    double last = half_height + min_gap;  // the edge itself may carry a mark
    for (int db : kDecibels) {
        const double offset = std::pow(10.0, db / 20.0) * gain * half_height;
        if (offset > half_height || last - offset < min_gap || offset < min_gap) {
            continue;
        }
        marks.push_back({db, offset});
        last = offset;
    }
    return marks;
}

}  // namespace sonvara
