#include "audio/decibel_table.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace sonvara::LDB {

LDBTablesClass::LDBTablesClass() {
    constexpr double kLimit = std::numeric_limits<std::int32_t>::max();
    for (int decibels = kMinDecibels; decibels <= kMaxDecibels; ++decibels) {
        const double factor = std::round(16777216.0 * std::pow(10.0, decibels / 20.0));
        factors_[static_cast<std::size_t>(decibels - kMinDecibels)] =
            static_cast<std::int32_t>(std::min(factor, kLimit));
    }
}

const LDBTablesClass& LDBTablesClass::Instance() {
    static const LDBTablesClass table;
    return table;
}

std::int32_t LDBTablesClass::Factor(int decibels) const {
    const int clamped = std::clamp(decibels, kMinDecibels, kMaxDecibels);
    return factors_[static_cast<std::size_t>(clamped - kMinDecibels)];
}

}  // namespace sonvara::LDB
