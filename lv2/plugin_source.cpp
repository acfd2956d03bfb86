#include "lv2/plugin_source.h"

#include <algorithm>
#include <cmath>

namespace sonvara {

LSRCPlugin::LSRCPlugin(LSoundSourceRef upstream, const PluginDescription& description,
                       const std::vector<float>& controls)
    : LSoundSourceBase(upstream->GetSampleRate(), upstream->GetChannels(), kUnknownMaxSample),
      upstream_(std::move(upstream)),
      name_(description.name),
      position_(upstream_->GetPosition()) {
    FollowErrorsOf(*upstream_);
    const int channels = GetChannels();
    // A mono plug-in runs once per channel of stereo sound; any other once.
    const bool per_channel = description.Inputs() == 1 && description.Outputs() == 1;
    const int count = per_channel ? channels : 1;
    for (int i = 0; i < count; ++i) {
        Result<std::unique_ptr<PluginInstance>> made =
            PluginInstance::Create(description, GetSampleRate());
        if (!made) {
            Fail(made.Message());
            return;
        }
        for (std::size_t c = 0; c < description.controls.size() && c < controls.size(); ++c) {
            (*made)->SetControl(description.controls[c].index, controls[c]);
        }
        instances_.push_back(std::move(*made));
    }
    const std::vector<float> block(kPluginBlockFrames);
    inputs_.assign(instances_.size(),
                   std::vector<std::vector<float>>(description.audio_in_ports.size(), block));
    outputs_.assign(instances_.size(),
                    std::vector<std::vector<float>>(description.audio_out_ports.size(), block));
    block_.resize(static_cast<std::size_t>(kPluginBlockFrames) * channels);
}

LSRCPlugin::~LSRCPlugin() = default;

void LSRCPlugin::Fail(std::string why) {
    if (error_.empty()) {
        error_ = "El complemento LV2 \"" + name_ + "\" " + why + ".";
    }
    SetError();
}

std::string LSRCPlugin::ErrorText() const {
    return error_.empty() ? LSoundSourceBase::ErrorText() : error_;
}

void LSRCPlugin::RunBlock() {
    const auto channels = static_cast<std::size_t>(GetChannels());
    upstream_->Read(block_.data(), kPluginBlockFrames);
    // The upstream's frame `f` as instance `i`'s input `port` takes it.
    const auto input = [&](std::size_t i, std::size_t port, std::size_t f) -> float {
        const Sample* frame = block_.data() + f * channels;
        if (instances_.size() > 1) {
            return FloatFromSample(frame[i]);  // one instance per channel
        }
        if (inputs_[0].size() == channels) {
            return FloatFromSample(frame[port]);
        }
        return inputs_[0].size() == 1 ? (FloatFromSample(frame[0]) + FloatFromSample(frame[1])) / 2
                                      : FloatFromSample(frame[0]);
    };
    for (std::size_t i = 0; i < instances_.size(); ++i) {
        std::vector<const float*> in;
        std::vector<float*> out;
        for (std::size_t port = 0; port < inputs_[i].size(); ++port) {
            for (std::size_t f = 0; f < static_cast<std::size_t>(kPluginBlockFrames); ++f) {
                inputs_[i][port][f] = input(i, port, f);
            }
            in.push_back(inputs_[i][port].data());
        }
        for (std::vector<float>& port : outputs_[i]) {
            out.push_back(port.data());
        }
        instances_[i]->Run(in.data(), out.data());
    }
    if (to_skip_ < 0) {
        to_skip_ = instances_.front()->Latency();
    }
    const auto skip = std::min(to_skip_, kPluginBlockFrames);
    to_skip_ -= skip;
    // Channel `c`'s output at frame `f`: its instance's, its output's, or the mean of two.
    const auto output = [&](std::size_t c, std::size_t f) -> double {
        if (instances_.size() > 1) {
            return outputs_[c][0][f];
        }
        const std::vector<std::vector<float>>& outs = outputs_[0];
        return outs.size() == channels ? double{outs[c][f]} : (double{outs[0][f]} + outs[1][f]) / 2;
    };
    constexpr double kBound = kUnknownMaxSample;
    for (auto f = static_cast<std::size_t>(skip); f < static_cast<std::size_t>(kPluginBlockFrames);
         ++f) {
        for (std::size_t c = 0; c < channels; ++c) {
            const double value = output(c, f);
            if (!std::isfinite(value)) {
                Fail("dio valores que no son números o son infinitos");
                return;
            }
            queue_.push_back(static_cast<Sample>(
                std::lround(std::clamp(value * kSampleFloatScale, -kBound, kBound))));
        }
    }
}

void LSRCPlugin::Read(Sample* buffer, std::int32_t frames) {
    const auto channels = static_cast<std::size_t>(GetChannels());
    const std::size_t wanted = static_cast<std::size_t>(frames) * channels;
    while (!IsError() && queue_.size() - queue_start_ < wanted) {
        if (queue_start_ > 0) {
            queue_.erase(queue_.begin(),
                         queue_.begin() + static_cast<std::ptrdiff_t>(queue_start_));
            queue_start_ = 0;
        }
        RunBlock();
    }
    if (IsError()) {
        std::fill(buffer, buffer + wanted, 0);
    } else {
        std::copy_n(queue_.begin() + static_cast<std::ptrdiff_t>(queue_start_), wanted, buffer);
        queue_start_ += wanted;
    }
    position_ += frames;
}

void LSRCPlugin::Seek(std::int32_t frame) {
    upstream_->Seek(frame);
    position_ = frame;
    queue_.clear();
    queue_start_ = 0;
    to_skip_ = -1;
    for (const std::unique_ptr<PluginInstance>& instance : instances_) {
        instance->Reset();
    }
}

}  // namespace sonvara
