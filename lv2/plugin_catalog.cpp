#include "lv2/plugin_catalog.h"

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/port-props/port-props.h>
#include <lv2/units/units.h>

#include <algorithm>
#include <filesystem>

#include "core/diagnostics.h"
#include "lv2/host_features.h"
#include "lv2/lv2_world.h"

namespace sonvara {
namespace {

// Whether `port` of `plugin` has `property`.
bool Has(Lv2World& world, const LilvPlugin* plugin, const LilvPort* port, const char* property) {
    return lilv_port_has_property(plugin, port, world.Uri(property));
}

bool IsA(Lv2World& world, const LilvPlugin* plugin, const LilvPort* port, const char* kind) {
    return lilv_port_is_a(plugin, port, world.Uri(kind));
}

float FloatOf(LilvNode* node, float otherwise) {
    const float value = node != nullptr && (lilv_node_is_float(node) || lilv_node_is_int(node))
                            ? lilv_node_as_float(node)
                            : otherwise;
    lilv_node_free(node);
    return value;
}

// The symbol of the unit a port names ("dB"), "" when it names none Sonvara can show.
std::string UnitOf(Lv2World& world, const LilvPlugin* plugin, const LilvPort* port) {
    LilvNodes* units = lilv_port_get_value(plugin, port, world.Uri(LV2_UNITS__unit));
    std::string symbol;
    if (units != nullptr && lilv_nodes_size(units) > 0) {
        const LilvNode* unit = lilv_nodes_get_first(units);
        symbol =
            TakeString(lilv_world_get(world.World(), unit, world.Uri(LV2_UNITS__symbol), nullptr));
        if (symbol.empty() && lilv_node_is_uri(unit)) {
            // The standard LV2 units, named by their URI's last part: "db", "hz", "ms".
            const std::string uri = NodeString(unit);
            const std::string prefix = LV2_UNITS_PREFIX;
            if (uri.rfind(prefix, 0) == 0) {
                static const std::pair<const char*, const char*> kKnown[] = {
                    {"db", "dB"}, {"hz", "Hz"}, {"khz", "kHz"},          {"ms", "ms"},  {"s", "s"},
                    {"pc", "%"},  {"coef", ""}, {"semitone12TET", "st"}, {"bpm", "BPM"}};
                const std::string last = uri.substr(prefix.size());
                for (const auto& [name, shown] : kKnown) {
                    if (last == name) {
                        symbol = shown;
                    }
                }
            }
        }
    }
    lilv_nodes_free(units);
    return symbol;
}

// The plug-in described, or why it cannot run.
std::string Describe(Lv2World& world, const LilvPlugin* plugin, PluginDescription& description) {
    description.uri = NodeString(lilv_plugin_get_uri(plugin));
    description.name = TakeString(lilv_plugin_get_name(plugin));
    if (description.name.empty()) {
        description.name = description.uri;
    }
    description.class_label =
        NodeString(lilv_plugin_class_get_label(lilv_plugin_get_class(plugin)));

    LilvNodes* required = lilv_plugin_get_required_features(plugin);
    std::string missing;
    LILV_FOREACH(nodes, i, required) {
        const std::string feature = NodeString(lilv_nodes_get(required, i));
        if (missing.empty() &&
            std::ranges::find(SupportedHostFeatures(), feature) == SupportedHostFeatures().end()) {
            missing = feature;
        }
    }
    lilv_nodes_free(required);
    if (!missing.empty()) {
        return "necesita la función del anfitrión " + missing;
    }
    const LilvNode* library = lilv_plugin_get_library_uri(plugin);
    char* library_path =
        library == nullptr ? nullptr : lilv_file_uri_parse(NodeString(library).c_str(), nullptr);
    const bool library_there = library_path != nullptr && std::filesystem::exists(library_path);
    lilv_free(library_path);
    if (!library_there) {
        return "su biblioteca no está instalada";
    }

    description.port_count = lilv_plugin_get_num_ports(plugin);
    if (lilv_plugin_has_latency(plugin)) {
        description.latency_port = lilv_plugin_get_latency_port_index(plugin);
    }
    for (std::uint32_t index = 0; index < description.port_count; ++index) {
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, index);
        const bool input = IsA(world, plugin, port, LV2_CORE__InputPort);
        const bool optional = Has(world, plugin, port, LV2_CORE__connectionOptional);
        if (IsA(world, plugin, port, LV2_CORE__AudioPort)) {
            (input ? description.audio_in_ports : description.audio_out_ports).push_back(index);
        } else if (IsA(world, plugin, port, LV2_CORE__ControlPort)) {
            if (!input) {
                continue;  // a meter or the latency: read into a place of its own
            }
            PluginControl control;
            control.index = index;
            control.symbol = NodeString(lilv_port_get_symbol(plugin, port));
            control.name = TakeString(lilv_port_get_name(plugin, port));
            LilvNode* def = nullptr;
            LilvNode* min = nullptr;
            LilvNode* max = nullptr;
            lilv_port_get_range(plugin, port, &def, &min, &max);
            control.minimum = FloatOf(min, 0);
            control.maximum = FloatOf(max, 1);
            control.default_value = FloatOf(def, control.minimum);
            control.toggled = Has(world, plugin, port, LV2_CORE__toggled);
            control.integer = Has(world, plugin, port, LV2_CORE__integer);
            control.enumeration = Has(world, plugin, port, LV2_CORE__enumeration);
            control.logarithmic = Has(world, plugin, port, LV2_PORT_PROPS__logarithmic) &&
                                  control.minimum > 0 && control.maximum > control.minimum;
            control.unit = UnitOf(world, plugin, port);
            if (LilvScalePoints* points = lilv_port_get_scale_points(plugin, port)) {
                LILV_FOREACH(scale_points, i, points) {
                    const LilvScalePoint* point = lilv_scale_points_get(points, i);
                    control.scale_points.push_back(
                        {lilv_node_as_float(lilv_scale_point_get_value(point)),
                         NodeString(lilv_scale_point_get_label(point))});
                }
                lilv_scale_points_free(points);
                std::ranges::sort(control.scale_points, {}, &PluginScalePoint::value);
            }
            control.default_value = control.Clamp(control.default_value);
            description.controls.push_back(std::move(control));
        } else if (IsA(world, plugin, port, LV2_ATOM__AtomPort)) {
            if (input && !optional &&
                lilv_port_supports_event(plugin, port, world.Uri(LV2_MIDI__MidiEvent))) {
                return "necesita MIDI";
            }
            // Other messages (a user interface's) get an empty sequence, and room for replies.
        } else if (!optional) {
            return IsA(world, plugin, port, LV2_CORE__CVPort)
                       ? "necesita señales CV"
                       : "tiene un puerto de un tipo que Sonvara no usa";
        }
    }
    const int ins = description.Inputs();
    const int outs = description.Outputs();
    if (!((ins == outs && (ins == 1 || ins == 2)) || (ins == 1 && outs == 2))) {
        const auto count = [](int n, const char* one) {
            return std::to_string(n) + " " + one + (n == 1 ? "" : "s");
        };
        return "tiene " + count(ins, "entrada") + " y " + count(outs, "salida") +
               " de audio (Sonvara usa 1 y 1, 2 y 2 o 1 y 2)";
    }
    return {};
}

}  // namespace

PluginCatalog& PluginCatalog::Instance() {
    static PluginCatalog catalog;
    return catalog;
}

PluginCatalog::Found PluginCatalog::Read() {
    Lv2World& world = Lv2World::Instance();
    const std::unique_lock lock = world.Lock();
    Found found;
    const LilvPlugins* plugins = lilv_world_get_all_plugins(world.World());
    LILV_FOREACH(plugins, i, plugins) {
        const LilvPlugin* plugin = lilv_plugins_get(plugins, i);
        PluginDescription description;
        const std::string reason = Describe(world, plugin, description);
        if (reason.empty()) {
            found.usable.push_back(std::move(description));
        } else {
            found.left_out.push_back({description.uri, reason});
        }
    }
    std::ranges::sort(found.usable, {}, &PluginDescription::name);
    return found;
}

void PluginCatalog::Discover() {
    std::lock_guard lock(mutex_);
    if (!discovery_.valid()) {
        discovery_ = std::async(std::launch::async, [this] { found_ = Read(); }).share();
    }
}

void PluginCatalog::Wait() {
    Discover();
    std::shared_future<void> discovery;
    {
        std::lock_guard lock(mutex_);
        discovery = discovery_;
    }
    discovery.wait();
    // Said here, on a thread of the program's: the discovery's own thread touches nothing that
    // the end of the process destroys before the catalog.
    std::lock_guard lock(mutex_);
    if (!diagnosed_) {
        diagnosed_ = true;
        for (const LeftOutPlugin& plugin : found_.left_out) {
            Diagnose("LV2: " + plugin.uri + " queda fuera: " + plugin.reason);
        }
    }
}

const std::vector<PluginDescription>& PluginCatalog::All() {
    Wait();
    return found_.usable;
}

const std::vector<LeftOutPlugin>& PluginCatalog::LeftOut() {
    Wait();
    return found_.left_out;
}

const PluginDescription* PluginCatalog::Find(const std::string& uri) {
    const std::vector<PluginDescription>& all = All();
    const auto found = std::ranges::find(all, uri, &PluginDescription::uri);
    return found == all.end() ? nullptr : &*found;
}

}  // namespace sonvara
