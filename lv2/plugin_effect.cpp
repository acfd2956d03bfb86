#include "lv2/plugin_effect.h"

#include <map>

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

namespace {

// A plug-in entry's id: this prefix and the plug-in's URI.
constexpr std::string_view kEntryPrefix = "lv2:";

}  // namespace

const PluginDescription* PluginOfEntry(const EffectEntry& entry) {
    if (entry.dialog != EffectDialog::kPlugin || !entry.id.starts_with(kEntryPrefix)) {
        return nullptr;
    }
    return PluginCatalog::Instance().Find(entry.id.substr(kEntryPrefix.size()));
}

const EffectEntry& PluginEffectEntry(const PluginDescription& plugin) {
    static std::map<std::string, EffectEntry> made;
    auto [at, added] = made.try_emplace(plugin.uri);
    if (!added) {
        return at->second;
    }
    EffectEntry& entry = at->second;
    entry.id = std::string(kEntryPrefix) + plugin.uri;
    entry.names = {plugin.name + "...", plugin.name, "Complemento LV2"};
    entry.check = [](const EffectValues& v) -> Result<void> {
        if (const Result<PluginRun> run = ResolvePlugin(v.text); !run) {
            return Failure(run.Message());
        }
        return {};
    };
    entry.apply = [](const ProcessRunner& run, LCutListAudio& document, FrameRange& range,
                     const EffectValues& v) {
        Result<PluginRun> plugin_run = ResolvePlugin(v.text);
        if (!plugin_run) {
            return PROCESS_FAILED;
        }
        EfPlugin effect(document, range, std::move(*plugin_run));
        return run(effect);
    };
    entry.preview = [](const EffectValues& v, const EffectPlace&) -> EffectSourceFactory {
        const Result<PluginRun> run = ResolvePlugin(v.text);
        if (!run) {
            return [](const LSoundSourceRef& upstream) { return upstream; };
        }
        return PluginEffectSource(*run);
    };
    entry.dialog = EffectDialog::kPlugin;
    entry.dialog_name = "LPluginDlg";
    return entry;
}

}  // namespace sonvara
