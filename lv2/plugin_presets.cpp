#include "lv2/plugin_presets.h"

#include <lv2/atom/atom.h>
#include <lv2/presets/presets.h>

#include <algorithm>

#include "lv2/lv2_world.h"

namespace sonvara {
namespace {

// Keeps a control's value that a preset sets; values of other types (a state's blobs) are
// none of a control's.
void KeepValue(const char* symbol, void* user, const void* value, std::uint32_t size,
               std::uint32_t type) {
    auto& values = *static_cast<std::vector<std::pair<std::string, float>>*>(user);
    Lv2World& world = Lv2World::Instance();
    if (type == world.Map(LV2_ATOM__Float) && size == sizeof(float)) {
        values.emplace_back(symbol, *static_cast<const float*>(value));
    } else if (type == world.Map(LV2_ATOM__Double) && size == sizeof(double)) {
        values.emplace_back(symbol, static_cast<float>(*static_cast<const double*>(value)));
    } else if (type == world.Map(LV2_ATOM__Int) && size == sizeof(std::int32_t)) {
        values.emplace_back(symbol, static_cast<float>(*static_cast<const std::int32_t*>(value)));
    }
}

}  // namespace

std::vector<PluginPreset> PluginPresets(const std::string& uri) {
    Lv2World& world = Lv2World::Instance();
    const std::unique_lock lock = world.Lock();
    std::vector<PluginPreset> presets;
    const LilvPlugin* plugin = world.FindPlugin(uri);
    if (plugin == nullptr) {
        return presets;
    }
    LilvNodes* related = lilv_plugin_get_related(plugin, world.Uri(LV2_PRESETS__Preset));
    LILV_FOREACH(nodes, i, related) {
        const LilvNode* preset = lilv_nodes_get(related, i);
        lilv_world_load_resource(world.World(), preset);
        PluginPreset read;
        read.label = TakeString(
            lilv_world_get(world.World(), preset, world.Uri(LILV_NS_RDFS "label"), nullptr));
        if (read.label.empty()) {
            read.label = NodeString(preset);
        }
        if (LilvState* state =
                lilv_state_new_from_world(world.World(), world.MapFeature(), preset)) {
            lilv_state_emit_port_values(state, KeepValue, &read.values);
            lilv_state_free(state);
        }
        if (!read.values.empty()) {
            presets.push_back(std::move(read));
        }
    }
    lilv_nodes_free(related);
    std::ranges::sort(presets, {}, &PluginPreset::label);
    return presets;
}

}  // namespace sonvara
