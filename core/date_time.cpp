#include "core/date_time.h"

#include <cstdio>
#include <optional>

namespace sonvara {
namespace {

std::optional<std::tm> LocalTime(std::time_t seconds) {
    if (seconds == 0) {
        return std::nullopt;
    }
    std::tm local{};
    if (::localtime_r(&seconds, &local) == nullptr) {
        return std::nullopt;
    }
    return local;
}

}  // namespace

LDateTime LDateTime::Now() {
    return LDateTime(std::time(nullptr));
}

std::string LDateTime::DateText() const {
    const std::optional<std::tm> local = LocalTime(seconds_);
    if (!local) {
        return {};
    }
    // tm_year may be as large as INT_MAX, so the year is formed in a wider type.
    const long long year = static_cast<long long>(local->tm_year) + 1900;
    char text[48];
    std::snprintf(text, sizeof text, "%.4lld-%.2d-%.2d", year, local->tm_mon + 1, local->tm_mday);
    return text;
}

std::string LDateTime::TimeText() const {
    const std::optional<std::tm> local = LocalTime(seconds_);
    if (!local) {
        return {};
    }
    char text[48];
    std::snprintf(text, sizeof text, "%.2d:%.2d:%.2d", local->tm_hour, local->tm_min,
                  local->tm_sec);
    return text;
}

}  // namespace sonvara
