#pragma once
// What Sonvara knows of an installed LV2 plug-in that it can run: its name and class, its audio
// ports, and the control inputs the user sets, with their ranges and kinds. Plain data, read once
// from the plug-in's description (plugin_catalog.h).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sonvara {

// A value a control may take with a name of its own ("Paso bajo" = 1).
struct PluginScalePoint {
    float value = 0;
    std::string label;
};

struct PluginControl {
    std::uint32_t index = 0;  // the port's index in the plug-in
    std::string symbol;       // the port's stable name: "gain"
    std::string name;         // as the plug-in shows it: "Amps gain (dB)"
    float minimum = 0;
    float maximum = 1;
    float default_value = 0;
    bool toggled = false;      // on or off
    bool integer = false;      // whole numbers only
    bool enumeration = false;  // one of `scale_points` only
    bool logarithmic = false;  // best set on a logarithmic scale
    std::string unit;          // the unit's symbol where the plug-in names one: "dB", "Hz"
    std::vector<PluginScalePoint> scale_points;

    // `value` brought into the range, whole when the control is integer or toggled, the nearest
    // scale point when it is an enumeration.
    float Clamp(float value) const;
};

struct PluginDescription {
    std::string uri;
    std::string name;
    std::string class_label;  // the plug-in's class: "Amplifier Plugin", "EQ", "Reverb"
    // One or two audio inputs with as many outputs, or one input and two outputs (a mono
    // reverb that gives stereo).
    std::vector<std::uint32_t> audio_in_ports;
    std::vector<std::uint32_t> audio_out_ports;
    std::vector<PluginControl> controls;  // the control inputs, in port order
    // The control output where the plug-in reports its latency in frames.
    std::optional<std::uint32_t> latency_port;
    std::uint32_t port_count = 0;

    int Inputs() const { return static_cast<int>(audio_in_ports.size()); }
    int Outputs() const { return static_cast<int>(audio_out_ports.size()); }
    const PluginControl* FindControl(const std::string& symbol) const;
};

}  // namespace sonvara
