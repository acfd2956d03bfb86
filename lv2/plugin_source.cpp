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
    // A mono plug-in runs once per channel; a stereo one once.
    const int count = description.audio_inputs == 1 ? channels : 1;
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
    const std::size_t ports = static_cast<std::size_t>(count * description.audio_inputs);
    inputs_.assign(ports, std::vector<float>(kPluginBlockFrames));
    outputs_.assign(ports, std::vector<float>(kPluginBlockFrames));
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
    const int channels = GetChannels();
    upstream_->Read(block_.data(), kPluginBlockFrames);
    const bool shared_input = instances_.size() == 1 && inputs_.size() == 2 && channels == 1;
    for (std::size_t port = 0; port < inputs_.size(); ++port) {
        const std::size_t channel = shared_input ? 0 : port;
        for (std::int32_t f = 0; f < kPluginBlockFrames; ++f) {
            inputs_[port][static_cast<std::size_t>(f)] =
                FloatFromSample(block_[static_cast<std::size_t>(f) * channels + channel]);
        }
    }
    const std::size_t per_instance = inputs_.size() / instances_.size();
    for (std::size_t i = 0; i < instances_.size(); ++i) {
        std::vector<const float*> in;
        std::vector<float*> out;
        for (std::size_t p = 0; p < per_instance; ++p) {
            in.push_back(inputs_[i * per_instance + p].data());
            out.push_back(outputs_[i * per_instance + p].data());
        }
        instances_[i]->Run(in.data(), out.data());
    }
    if (to_skip_ < 0) {
        to_skip_ = instances_.front()->Latency();
    }
    const auto skip = std::min(to_skip_, kPluginBlockFrames);
    to_skip_ -= skip;
    constexpr double kBound = kUnknownMaxSample;
    for (std::int32_t f = skip; f < kPluginBlockFrames; ++f) {
        const auto at = static_cast<std::size_t>(f);
        for (int c = 0; c < channels; ++c) {
            // A stereo plug-in on mono sound: the mean of its two outputs.
            const double value = shared_input ? (double{outputs_[0][at]} + outputs_[1][at]) / 2
                                              : double{outputs_[static_cast<std::size_t>(c)][at]};
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
