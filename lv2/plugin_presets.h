#pragma once
// The presets a plug-in brings with it (its bundle's lv2 presets): a label and values by control
// symbol, read from lilv's model when asked.

#include <string>
#include <utility>
#include <vector>

namespace sonvara {

struct PluginPreset {
    std::string label;
    std::vector<std::pair<std::string, float>> values;  // symbol, value
};

// The presets of the plug-in of `uri`, by label; none when it has none or is not installed.
std::vector<PluginPreset> PluginPresets(const std::string& uri);

}  // namespace sonvara
