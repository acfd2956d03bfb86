#include "audio/sound_time.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace sonvara {
namespace {

std::int32_t Clamp32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

struct Parts {
    std::int64_t hours, minutes, seconds, milliseconds;
};

Parts Split(std::int64_t ms) {
    return {ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000};
}

// h:mm:ss followed by `digits` digits of the fraction (none, tenths, hundredths, thousandths)
// of |value| + rounding, with a "-" in front of a negative value.
std::string Format(std::int32_t value, std::int64_t rounding, int digits) {
    static constexpr std::int64_t kDivisors[] = {1000, 100, 10, 1};
    std::int64_t magnitude = value < 0 ? -std::int64_t{value} : std::int64_t{value};
    Parts parts = Split(magnitude + rounding);
    char text[64];
    int length = std::snprintf(text, sizeof text, "%s%ld:%.2ld:%.2ld", value < 0 ? "-" : "",
                               static_cast<long>(parts.hours), static_cast<long>(parts.minutes),
                               static_cast<long>(parts.seconds));
    if (digits > 0) {
        std::snprintf(text + length, sizeof text - static_cast<std::size_t>(length), ".%.*ld",
                      digits, static_cast<long>(parts.milliseconds / kDivisors[digits]));
    }
    return text;
}

}  // namespace

std::int32_t MillisecondsFromFrames(std::int32_t frames, std::int32_t rate) {
    if (rate <= 0) {
        return 0;
    }
    return Clamp32(std::int64_t{frames / rate} * 1000 + std::int64_t{frames % rate} * 1000 / rate);
}

std::int32_t FramesFromMilliseconds(std::int32_t milliseconds, std::int32_t rate) {
    return Clamp32(std::int64_t{milliseconds / 1000} * rate +
                   std::int64_t{milliseconds % 1000} * rate / 1000);
}

void LSoundTime::SetSamples(std::int32_t samples, std::int32_t rate) {
    if (rate > 0) {
        milliseconds_ = MillisecondsFromFrames(samples, rate);
    }
}

std::string LSoundTime::Hundredths() const {
    return Format(milliseconds_, 5, 2);
}

std::string LSoundTime::MillisecondsText() const {
    return Format(milliseconds_, 0, 3);
}

std::string LSoundTime::TenthsRounded() const {
    return Format(milliseconds_, 50, 1);
}

std::string LSoundTime::Tenths() const {
    return Format(milliseconds_, 0, 1);
}

std::string LSoundTime::Seconds() const {
    return Format(milliseconds_, 500, 0);
}

std::string LSoundTime::MinutesSeconds() const {
    std::int64_t magnitude = milliseconds_ < 0 ? -std::int64_t{milliseconds_} : milliseconds_;
    Parts parts = Split(magnitude);
    char text[32];
    std::snprintf(text, sizeof text, "%s%.2d:%.2d", milliseconds_ < 0 ? "-" : "",
                  static_cast<int>(parts.minutes), static_cast<int>(parts.seconds));
    return text;
}

LSoundTime LSoundTime::Parse(std::string_view text) {
    static constexpr std::int64_t kFractionWeights[] = {100, 10, 1};
    std::int64_t total = 0;  // milliseconds of the fields closed so far and of the fraction
    std::int64_t field = 0;  // whole seconds of the open field
    bool negative = false;
    bool in_fraction = false;
    int fraction_digits = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            int digit = c - '0';
            if (!in_fraction) {
                field = std::min<std::int64_t>(field * 10 + digit, std::int64_t{1} << 40);
            } else if (fraction_digits < 3) {
                total += digit * kFractionWeights[fraction_digits++];
            }
        } else if (c == ':') {
            total = std::min<std::int64_t>((total + field * 1000) * 60, std::int64_t{1} << 50);
            field = 0;
        } else if (c == '.') {
            in_fraction = true;
        } else if (c == '-') {
            negative = true;
        }
    }
    total += field * 1000;
    return LSoundTime(Clamp32(negative ? -total : total));
}

}  // namespace sonvara
