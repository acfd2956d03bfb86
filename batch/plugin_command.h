#pragma once
// The batch command that runs an installed LV2 plug-in over the whole of each file. Its data is
// the plug-in's URI and values as text ("URI:port=value,...", lv2/plugin_settings.h), so a saved
// list names the plug-in wherever it runs: where it is not installed, the list is refused with a
// message naming it. It streams: the plug-in is a stage of the chain.

#include <string>
#include <string_view>

#include "batch/batch_command.h"

namespace sonvara {

BatchCommandInfo PluginBatchCommand();

// How the command list shows an item's text: the plug-in's name and the values that differ from
// its defaults ("Simple amplifier: gain=-6"), or the text as it is when the plug-in is not
// installed.
std::string PluginItemDescription(std::string_view text);

}  // namespace sonvara
