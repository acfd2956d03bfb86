#include "batch/plugin_command.h"

#include "lv2/plugin_catalog.h"
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
    const Result<PluginSettings> settings = ParsePluginSettings(text);
    const PluginDescription* plugin =
        settings ? PluginCatalog::Instance().Find(settings->uri) : nullptr;
    if (plugin == nullptr) {
        return std::string(text);
    }
    const std::string full = PluginSettingsText(*settings);
    const std::size_t values = full.find(':', settings->uri.size());
    return plugin->name + (values == std::string::npos ? "" : ": " + full.substr(values + 1));
}

}  // namespace sonvara
