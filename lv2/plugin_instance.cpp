#include "lv2/plugin_instance.h"

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>

#include <algorithm>
#include <cmath>

#include "lv2/lv2_world.h"

namespace sonvara {
namespace {

// An empty sequence for an input, room for `kPluginSequenceBytes` for an output: what a host
// must hand a message port before each run.
void ResetSequence(std::vector<std::uint64_t>& buffer, bool output) {
    auto* sequence = reinterpret_cast<LV2_Atom_Sequence*>(buffer.data());
    Lv2World& world = Lv2World::Instance();
    sequence->atom.size = output ? kPluginSequenceBytes : sizeof(LV2_Atom_Sequence_Body);
    sequence->atom.type = world.Map(output ? LV2_ATOM__Chunk : LV2_ATOM__Sequence);
    sequence->body.unit = 0;
    sequence->body.pad = 0;
}

}  // namespace

PluginInstance::PluginInstance(const PluginDescription& description, std::int32_t sample_rate)
    : description_(description), features_(static_cast<float>(sample_rate)) {}

Result<std::unique_ptr<PluginInstance>> PluginInstance::Create(const PluginDescription& description,
                                                               std::int32_t sample_rate) {
    std::unique_ptr<PluginInstance> made(new PluginInstance(description, sample_rate));
    Lv2World& world = Lv2World::Instance();
    {
        const std::unique_lock lock = world.Lock();
        const LilvPlugin* plugin = world.FindPlugin(description.uri);
        if (plugin == nullptr) {
            return Failure("no está instalado");
        }
        made->instance_ = lilv_plugin_instantiate(plugin, static_cast<double>(sample_rate),
                                                  made->features_.List());
        if (made->instance_ == nullptr) {
            return Failure("no se pudo iniciar a " + std::to_string(sample_rate) + " Hz");
        }
        // Every port is connected: the ones the plug-in does not describe as audio or control
        // inputs get a place of their own.
        made->ports_.assign(description.port_count, 0.0f);
        for (std::uint32_t index = 0; index < description.port_count; ++index) {
            const LilvPort* port = lilv_plugin_get_port_by_index(plugin, index);
            if (lilv_port_is_a(plugin, port, world.Uri(LV2_ATOM__AtomPort))) {
                const bool output = lilv_port_is_a(plugin, port, world.Uri(LV2_CORE__OutputPort));
                made->sequences_.emplace_back(
                    (kPluginSequenceBytes + sizeof(LV2_Atom_Sequence)) / sizeof(std::uint64_t) + 1);
                made->sequence_is_output_.push_back(output);
                lilv_instance_connect_port(made->instance_, index, made->sequences_.back().data());
            } else if (!lilv_port_is_a(plugin, port, world.Uri(LV2_CORE__AudioPort))) {
                lilv_instance_connect_port(made->instance_, index, &made->ports_[index]);
            }
        }
    }
    for (const PluginControl& control : description.controls) {
        made->ports_[control.index] = control.default_value;
    }
    lilv_instance_activate(made->instance_);
    return made;
}

PluginInstance::~PluginInstance() {
    if (instance_ != nullptr) {
        lilv_instance_deactivate(instance_);
        const std::unique_lock lock = Lv2World::Instance().Lock();
        lilv_instance_free(instance_);
    }
}

void PluginInstance::SetControl(std::uint32_t port, float value) {
    if (port < ports_.size()) {
        ports_[port] = value;
    }
}

void PluginInstance::Run(const float* const* inputs, float* const* outputs) {
    for (std::size_t i = 0; i < description_.audio_in_ports.size(); ++i) {
        // LV2 takes the input without changing it; its signature is not const.
        lilv_instance_connect_port(instance_, description_.audio_in_ports[i],
                                   const_cast<float*>(inputs[i]));
    }
    for (std::size_t i = 0; i < description_.audio_out_ports.size(); ++i) {
        lilv_instance_connect_port(instance_, description_.audio_out_ports[i], outputs[i]);
    }
    for (std::size_t s = 0; s < sequences_.size(); ++s) {
        ResetSequence(sequences_[s], sequence_is_output_[s]);
    }
    lilv_instance_run(instance_, kPluginBlockFrames);
}

std::int32_t PluginInstance::Latency() const {
    if (!description_.latency_port || *description_.latency_port >= ports_.size()) {
        return 0;
    }
    const float latency = ports_[*description_.latency_port];
    return std::isfinite(latency) && latency > 0
               ? static_cast<std::int32_t>(std::min(std::lround(latency), 1L << 24))
               : 0;
}

void PluginInstance::Reset() {
    lilv_instance_deactivate(instance_);
    lilv_instance_activate(instance_);
}

}  // namespace sonvara
