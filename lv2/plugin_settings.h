#pragma once
// The values an LV2 plug-in runs with: its URI and a value for some of its controls, by their
// symbols (stable across versions of a plug-in, where port order need not be). The text form is
// what the batch tool takes after "lv2:" and what a batch script stores:
//
//   URI                          every control at its default
//   URI:symbol=value,...         the controls named set ("...swh-plugins/amp:gain=6")
//
// A URI holds colons of its own: the values begin after the last colon whose remainder names
// values.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/result.h"
#include "lv2/plugin_description.h"

namespace sonvara {

struct PluginSettings {
    std::string uri;
    std::vector<std::pair<std::string, float>> values;  // symbol, value
    bool operator==(const PluginSettings&) const = default;
};

Result<PluginSettings> ParsePluginSettings(std::string_view text);
std::string PluginSettingsText(const PluginSettings& settings);

// A value for each of the description's controls, in order: its default unless `settings`
// names it, brought into its range. Refused, naming it, when a symbol is none of the plug-in's.
Result<std::vector<float>> ControlValues(const PluginDescription& description,
                                         const PluginSettings& settings);

// What a run asks when the plug-in of `uri` is not installed.
std::string MissingPluginMessage(const std::string& uri);

// The values the editor keeps for a plug-in between runs (the "LV2" section of the settings, one
// entry per plug-in by its URI): its defaults until the user has run it.
PluginSettings StoredPluginSettings(const PluginDescription& description);
// False when the settings could not be written.
bool StorePluginSettings(const PluginSettings& settings);
// A value for every control of the plug-in, from `values` (one per control, in order).
PluginSettings SettingsOf(const PluginDescription& description, const std::vector<float>& values);

}  // namespace sonvara
