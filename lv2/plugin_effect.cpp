#include "lv2/plugin_effect.h"

#include "lv2/plugin_catalog.h"
#include "lv2/plugin_settings.h"
#include "lv2/plugin_source.h"

namespace sonvara {

Result<PluginRun> ResolvePlugin(std::string_view text) {
    const Result<PluginSettings> settings = ParsePluginSettings(text);
    if (!settings) {
        return Failure(settings.Message());
    }
    PluginRun run;
    run.plugin = PluginCatalog::Instance().Find(settings->uri);
    if (run.plugin == nullptr) {
        return Failure(MissingPluginMessage(settings->uri));
    }
    Result<std::vector<float>> controls = ControlValues(*run.plugin, *settings);
    if (!controls) {
        return Failure(controls.Message());
    }
    run.controls = std::move(*controls);
    return run;
}

EffectSourceFactory PluginEffectSource(const PluginRun& run) {
    return [run](const LSoundSourceRef& upstream) -> LSoundSourceRef {
        return new LSRCPlugin(upstream, *run.plugin, run.controls);
    };
}

EfPlugin::EfPlugin(LCutListAudio& document, FrameRange range, PluginRun run)
    : LProgressDialog("Sonvara"), document_(document), range_(range), run_(std::move(run)) {}

ProcessResult EfPlugin::Body() {
    return RunRangeEffect(*this, run_.plugin->name, document_, range_, PluginEffectSource(run_));
}

}  // namespace sonvara
