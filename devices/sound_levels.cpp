#include "devices/sound_levels.h"

#include <algorithm>
#include <cmath>

namespace sonvara {
namespace {

// The mean square of a 16-bit full-scale square wave on the y scale, give or take rounding.
constexpr double kReference = 8388626.0;

}  // namespace

std::int8_t MeasureLevel(const Sample* samples, std::int32_t frames, int channels, int channel) {
    if (frames <= 0) {
        return -127;
    }
    std::uint32_t high = 0;
    std::uint32_t low = 0;
    for (std::int32_t f = 0; f < frames; ++f) {
        const auto y = static_cast<std::uint32_t>(samples[f * channels + channel] >> 5);
        const std::uint32_t square = y * y;
        high += square >> 13;
        low += square & 0x1FFF;
    }
    const std::uint32_t sum = high + (low >> 13);
    const auto n = static_cast<std::uint32_t>(frames);
    const std::uint32_t power = ((sum / n) << 13) + (((sum % n) << 13) / n);
    if (power == 0) {
        return -127;
    }
    double level = 10.0 * std::log10(power / kReference);
    level += power >= kReference ? 0.5 : -0.5;
    return static_cast<std::int8_t>(std::clamp(static_cast<int>(level), -127, 127));
}

void MeasureLevels(const Sample* samples, std::int32_t frames, int channels, SoundLevels& levels) {
    const int count = std::clamp(channels, 1, static_cast<int>(levels.level.size()));
    levels.channels = static_cast<std::uint8_t>(count);
    for (int c = 0; c < count; ++c) {
        levels.level[static_cast<std::size_t>(c)] = MeasureLevel(samples, frames, channels, c);
    }
}

void MeasurePeakLevels(const Sample* samples, std::int32_t frames, int channels,
                       SoundLevels& levels) {
    const int count = std::clamp(channels, 1, static_cast<int>(levels.level.size()));
    levels.channels = static_cast<std::uint8_t>(count);
    for (int c = 0; c < count; ++c) {
        Sample largest = 0;
        Sample smallest = 0;
        for (std::int32_t f = 0; f < frames; ++f) {
            const Sample x = samples[static_cast<std::ptrdiff_t>(f) * channels + c];
            largest = std::max(largest, x);
            smallest = std::min(smallest, x);
        }
        const double peak = std::max<double>(largest, -static_cast<double>(smallest));
        int level = -127;
        if (peak > 0) {
            const double db = 20.0 * std::log10(peak / 131072.0);
            level = static_cast<int>(db + (peak >= 131072.0 ? 0.5 : -0.5));
        }
        levels.level[static_cast<std::size_t>(c)] =
            static_cast<std::int8_t>(std::clamp(level, -127, 127));
    }
}

int Loudness(const SoundLevels& levels) {
    if (levels.channels == 0) {
        return -127;
    }
    if (levels.channels == 1) {
        return levels.level[0];
    }
    return std::max(levels.level[0], levels.level[1]);
}

}  // namespace sonvara
