#include "devices/momentary_loudness.h"

#include <limits>

namespace sonvara {

MomentaryLoudness::MomentaryLoudness(std::int32_t sample_rate, int channels)
    : sample_rate_(sample_rate), channels_(channels) {
    Clear();
}

MomentaryLoudness::~MomentaryLoudness() = default;

void MomentaryLoudness::Clear() {
    state_ = MakeEbur128State(sample_rate_, channels_, EBUR128_MODE_M);
}

void MomentaryLoudness::Add(const Sample* frames, std::int32_t count) {
    if (state_ == nullptr || count <= 0) {
        return;
    }
    if (!AddEbur128Frames(*state_, frames, count, channels_, converted_)) {
        state_.reset();
    }
}

double MomentaryLoudness::Current() const {
    double loudness = -std::numeric_limits<double>::infinity();
    if (state_ != nullptr &&
        ebur128_loudness_momentary(state_.get(), &loudness) != EBUR128_SUCCESS) {
        loudness = -std::numeric_limits<double>::infinity();
    }
    return loudness;
}

}  // namespace sonvara
