#pragma once
// One running instance of a plug-in: its ports connected (the controls to values of its own, the
// message ports to empty sequences, the meters and the latency to places that are read), run a
// block of kPluginBlockFrames frames at a time. An instance belongs to one thread at a time; only
// making and freeing it touch lilv's shared model, under the world's lock.

#include <cstdint>
#include <memory>
#include <vector>

#include <lilv/lilv.h>

#include "core/result.h"
#include "lv2/host_features.h"
#include "lv2/plugin_description.h"

namespace sonvara {

class PluginInstance {
  public:
    // The plug-in running at `sample_rate`, activated, its controls at their defaults; the
    // reason when it cannot be made.
    static Result<std::unique_ptr<PluginInstance>> Create(const PluginDescription& description,
                                                          std::int32_t sample_rate);
    ~PluginInstance();
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    const PluginDescription& Description() const { return description_; }
    // Sets a control input (by its port index) for the runs after this.
    void SetControl(std::uint32_t port, float value);
    // Runs one block: `inputs` and `outputs` hold kPluginBlockFrames frames for each audio port.
    void Run(const float* const* inputs, float* const* outputs);
    // The latency the plug-in reported at its last run, in frames (0 when it reports none).
    std::int32_t Latency() const;
    // Back to the state of a new instance, the controls kept.
    void Reset();

  private:
    PluginInstance(const PluginDescription& description, std::int32_t sample_rate);

    PluginDescription description_;
    HostFeatures features_;
    LilvInstance* instance_ = nullptr;
    std::vector<float> ports_;  // one value per port: the controls, the meters, the latency
    // The message ports' buffers, 8-byte aligned, and which of them are outputs.
    std::vector<std::vector<std::uint64_t>> sequences_;
    std::vector<bool> sequence_is_output_;
};

}  // namespace sonvara
