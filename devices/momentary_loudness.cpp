#include "devices/momentary_loudness.h"

#include <ebur128.h>

#include <algorithm>
#include <limits>

namespace sonvara {

struct MomentaryLoudness::State {
    explicit State(ebur128_state* made) : library(made) {}
    ~State() { ebur128_destroy(&library); }
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    ebur128_state* library;
};

MomentaryLoudness::MomentaryLoudness(std::int32_t sample_rate, int channels)
    : sample_rate_(sample_rate), channels_(channels) {
    Clear();
}

MomentaryLoudness::~MomentaryLoudness() = default;

void MomentaryLoudness::Clear() {
    state_.reset();
    if (sample_rate_ <= 0 || channels_ <= 0) {
        return;
    }
    if (ebur128_state* made =
            ebur128_init(static_cast<unsigned>(channels_), static_cast<unsigned long>(sample_rate_),
                         EBUR128_MODE_M)) {
        state_ = std::make_unique<State>(made);
    }
}

void MomentaryLoudness::Add(const Sample* frames, std::int32_t count) {
    if (state_ == nullptr || count <= 0) {
        return;
    }
    const auto samples = static_cast<std::size_t>(count) * static_cast<std::size_t>(channels_);
    converted_.resize(samples);
    std::transform(frames, frames + samples, converted_.begin(), FloatFromSample);
    if (ebur128_add_frames_float(state_->library, converted_.data(),
                                 static_cast<std::size_t>(count)) != EBUR128_SUCCESS) {
        state_.reset();
    }
}

double MomentaryLoudness::Current() const {
    double loudness = -std::numeric_limits<double>::infinity();
    if (state_ != nullptr &&
        ebur128_loudness_momentary(state_->library, &loudness) != EBUR128_SUCCESS) {
        loudness = -std::numeric_limits<double>::infinity();
    }
    return loudness;
}

}  // namespace sonvara
