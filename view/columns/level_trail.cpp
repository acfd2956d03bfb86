#include "view/columns/level_trail.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace sonvara {

float TrailHeight(int decibels) {
    constexpr int kFloorDb = -60;
    if (decibels <= kFloorDb) {
        return 0.0F;
    }
    return std::min(1.0F, static_cast<float>(std::pow(10.0, decibels / 20.0)));
}

std::vector<float> TrailColumns(const std::vector<float>& heights, int columns) {
    if (columns <= 0) {
        return {};
    }
    const auto width = static_cast<std::size_t>(columns);
    if (heights.size() <= width) {
        return heights;
    }
    std::vector<float> squeezed(width, 0.0F);
    for (std::size_t i = 0; i < heights.size(); ++i) {
        float& column = squeezed[i * width / heights.size()];
        column = std::max(column, heights[i]);
    }
    return squeezed;
}

}  // namespace sonvara
