#include "batch/plugin_command.h"

#include "lv2/plugin_effect.h"
#include "lv2/plugin_settings.h"

namespace sonvara {

BatchCommandInfo PluginBatchCommand() {
    return {
        .id = kBatchPlugin,
        .name = "Complemento LV2",
        .apply =
            [](const BatchStep& step, const BatchValues& v) {
                Result<PluginRun> run = ResolvePlugin(v.text);
                if (!run) {
                    step.process.ShowError(run.Message());
                    return PROCESS_FAILED;
                }
                EfPlugin effect(step.document, {0, step.document.GetLength()}, std::move(*run));
                return step.process.RunStep(effect, step.from, step.to);
            },
        .stream =
            [](BatchStream& stream, const BatchValues& v) {
                const Result<PluginRun> run = ResolvePlugin(v.text);
                if (!run) {
                    return false;
                }
                stream.Then(PluginEffectSource(*run));
                return !stream.Source()->IsError();
            },
        .check_text = [](std::string_view text) -> Result<void> {
            if (const Result<PluginRun> run = ResolvePlugin(text); !run) {
                return Failure(run.Message());
            }
            return {};
        },
    };
}

std::string PluginItemDescription(std::string_view text) {
    const Result<PluginRun> run = ResolvePlugin(text);
    if (!run) {
        return std::string(text);
    }
    // The values that differ from the plug-in's defaults: a list keeps them all, so that it
    // runs the same with a version whose defaults changed, but the user set only these.
    const PluginDescription& plugin = *run->plugin;
    PluginSettings changed{plugin.uri, {}};
    for (std::size_t c = 0; c < plugin.controls.size(); ++c) {
        if (run->controls[c] != plugin.controls[c].default_value) {
            changed.values.emplace_back(plugin.controls[c].symbol, run->controls[c]);
        }
    }
    if (changed.values.empty()) {
        return plugin.name + ": valores por defecto";
    }
    const std::string full = PluginSettingsText(changed);
    return plugin.name + ": " + full.substr(full.find(':', plugin.uri.size()) + 1);
}

}  // namespace sonvara
