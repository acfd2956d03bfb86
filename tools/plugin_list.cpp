#include "tools/plugin_list.h"

#include <cstdio>
#include <string>

#include "lv2/plugin_catalog.h"
#include "tools/exit_status.h"

namespace sonvara {
namespace {

std::string Number(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}

// "-70 a 70, 0 dB", "sí/no, no", "Paso bajo (0) | Paso alto (1), 0".
std::string Range(const PluginControl& control) {
    const std::string unit = control.unit.empty() ? "" : " " + control.unit;
    if (control.toggled) {
        return std::string("sí/no, ") + (control.default_value > control.minimum ? "sí" : "no");
    }
    std::string text;
    if (control.enumeration && !control.scale_points.empty()) {
        for (const PluginScalePoint& point : control.scale_points) {
            text += (text.empty() ? "" : " | ") + point.label + " (" + Number(point.value) + ")";
        }
    } else {
        text = Number(control.minimum) + " a " + Number(control.maximum);
        if (control.logarithmic) {
            text += " (logarítmica)";
        } else if (control.integer) {
            text += " (enteros)";
        }
    }
    return text + ", " + Number(control.default_value) + unit;
}

}  // namespace

int ListPlugins() {
    PluginCatalog& catalog = PluginCatalog::Instance();
    for (const PluginDescription& plugin : catalog.All()) {
        std::printf("%s\n  %s\n  %s, %s", plugin.name.c_str(), plugin.uri.c_str(),
                    plugin.class_label.c_str(),
                    plugin.Inputs() == plugin.Outputs()
                        ? (plugin.Inputs() == 1 ? "mono" : "estéreo")
                        : "de mono a estéreo");
        std::printf("%s\n", plugin.latency_port ? ", con latencia" : "");
        for (const PluginControl& control : plugin.controls) {
            std::printf("    %s  %s: %s\n", control.symbol.c_str(), control.name.c_str(),
                        Range(control).c_str());
        }
    }
    if (!catalog.LeftOut().empty()) {
        std::printf("\nNo se pueden usar (%zu):\n", catalog.LeftOut().size());
        for (const LeftOutPlugin& plugin : catalog.LeftOut()) {
            std::printf("  %s: %s\n", plugin.uri.c_str(), plugin.reason.c_str());
        }
    }
    return kExitDone;
}

}  // namespace sonvara
