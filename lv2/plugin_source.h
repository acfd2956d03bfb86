#pragma once
// LSRCPlugin: an LV2 plug-in as a sound source over its upstream, with the upstream's rate,
// channels and length. The upstream's frames go through the plug-in a block at a time: a mono
// plug-in on stereo sound runs once per channel (two instances); a plug-in with one input gets
// the mean of stereo sound's channels, one with two gets mono sound on both; mono sound takes the
// mean of two outputs. The latency the plug-in reports
// is taken off the front (the upstream is read that far ahead, silence past its end), so the
// result lines up with the original; nothing is added after the end. A seek starts the plug-in
// afresh there, as a new instance would.
//
// The source is in error, with a message naming the plug-in, when no instance could be made or
// the plug-in gave a value that is not a number or is infinite (the block is not handed out).
// Samples beyond the general bound (kUnknownMaxSample) are held at it.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/sound_source.h"
#include "lv2/plugin_description.h"
#include "lv2/plugin_instance.h"

namespace sonvara {

class LSRCPlugin : public LSoundSourceBase {
  public:
    // `controls`: a value for each of the description's controls, in order.
    LSRCPlugin(LSoundSourceRef upstream, const PluginDescription& description,
               const std::vector<float>& controls);
    ~LSRCPlugin() override;

    void Read(Sample* buffer, std::int32_t frames) override;
    std::int32_t GetPosition() const override { return position_; }
    std::int32_t GetLength() const override { return upstream_->GetLength(); }
    void Seek(std::int32_t frame) override;
    std::string ErrorText() const override;

  private:
    // Runs one block through the instances and queues what comes out past the latency.
    void RunBlock();
    void Fail(std::string why);

    LSoundSourceRef upstream_;
    std::string name_;
    std::vector<std::unique_ptr<PluginInstance>> instances_;
    std::int32_t position_ = 0;
    std::int32_t to_skip_ = -1;  // the latency still to take off; -1 until the first run
    std::vector<Sample> block_;  // the upstream's interleaved frames of one run
    // A run's audio: per instance, a block for each of its inputs and outputs.
    std::vector<std::vector<std::vector<float>>> inputs_;
    std::vector<std::vector<std::vector<float>>> outputs_;
    std::vector<Sample> queue_;  // interleaved output not handed out yet
    std::size_t queue_start_ = 0;
    std::string error_;
};

}  // namespace sonvara
