#include "audio/sound_sink.h"

#include <algorithm>

namespace sonvara {

LSoundSinkBase::LSoundSinkBase(std::int32_t sample_rate, int channels) {
    if (sample_rate < 1) {
        SetError();
        sample_rate = 44100;
    }
    if (channels < 1) {
        SetError();
        channels = 1;
    }
    sample_rate_ = sample_rate;
    channels_ = static_cast<std::uint8_t>(std::min(channels, 255));
}

void LSoundSinkBase::Truncate(std::int32_t) {}

bool LSoundSinkBase::Finish() {
    return !IsError();
}

std::string LSoundSinkBase::ErrorText() const {
    return {};
}

}  // namespace sonvara
