#include "audio/sound_source.h"

#include <algorithm>

namespace sonvara {

LSoundSourceBase::LSoundSourceBase(std::int32_t sample_rate, int channels, Sample max_sample)
    : max_sample_(max_sample) {
    SetSampleRate(sample_rate);
    SetChannels(channels);
}

void LSoundSourceBase::Seek(std::int32_t) {}

std::string LSoundSourceBase::ErrorText() const {
    return error_upstream_ != nullptr ? error_upstream_->ErrorText() : "";
}

void LSoundSourceBase::SetSampleRate(std::int32_t sample_rate) {
    if (sample_rate < 1) {
        SetError();
        sample_rate = 44100;
    }
    sample_rate_ = sample_rate;
}

void LSoundSourceBase::SetChannels(int channels) {
    if (channels < 1) {
        SetError();
        channels = 1;
    }
    channels_ = static_cast<std::uint8_t>(std::min(channels, 255));
}

LNullSoundSource::LNullSoundSource() : LSoundSourceBase(11025, 1, kUnknownMaxSample) {
    SetError();
}

void LNullSoundSource::Read(Sample* buffer, std::int32_t frames) {
    std::fill_n(buffer, std::max(frames, 0) * GetChannels(), 0);
}

LSoundSourceRef::LSoundSourceRef() : LSoundSourceRef(new LNullSoundSource) {}

LSoundSourceRef::LSoundSourceRef(LSoundSourceBase* source)
    : CountedRef<LSoundSourceBase>(source != nullptr ? source : new LNullSoundSource) {}

}  // namespace sonvara
