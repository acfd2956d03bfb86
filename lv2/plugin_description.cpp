#include "lv2/plugin_description.h"

#include <algorithm>
#include <cmath>

namespace sonvara {

float PluginControl::Clamp(float value) const {
    if (!std::isfinite(value)) {
        value = default_value;
    }
    if (enumeration && !scale_points.empty()) {
        const auto nearest = std::ranges::min_element(scale_points, {}, [value](const auto& point) {
            return std::fabs(point.value - value);
        });
        return nearest->value;
    }
    value = std::clamp(value, std::min(minimum, maximum), std::max(minimum, maximum));
    if (toggled) {
        return value > (minimum + maximum) / 2 ? maximum : minimum;
    }
    return integer ? std::round(value) : value;
}

const PluginControl* PluginDescription::FindControl(const std::string& symbol) const {
    const auto found = std::ranges::find(controls, symbol, &PluginControl::symbol);
    return found == controls.end() ? nullptr : &*found;
}

}  // namespace sonvara
