#include "audio/memory_stream.h"

#include <algorithm>

namespace sonvara {

LMemorySoundSource::LMemorySoundSource(std::vector<Sample> samples, std::int32_t sample_rate,
                                       int channels, Sample max_sample)
    : LSoundSourceBase(sample_rate, channels, max_sample), samples_(std::move(samples)) {
    length_ = static_cast<std::int32_t>(samples_.size() / static_cast<std::size_t>(GetChannels()));
}

void LMemorySoundSource::Read(Sample* buffer, std::int32_t frames) {
    if (frames <= 0) {
        return;
    }
    const int channels = GetChannels();
    std::fill_n(buffer, static_cast<std::size_t>(frames) * channels, 0);
    const std::int64_t start = position_;
    const std::int64_t first = std::max<std::int64_t>(start, 0);
    const std::int64_t last = std::min<std::int64_t>(start + frames, length_);
    if (!IsError() && first < last) {
        std::copy(samples_.begin() + first * channels, samples_.begin() + last * channels,
                  buffer + (first - start) * channels);
    }
    position_ = static_cast<std::int32_t>(std::min<std::int64_t>(start + frames, INT32_MAX));
}

LMemorySoundSink::LMemorySoundSink(std::int32_t sample_rate, int channels)
    : LSoundSinkBase(sample_rate, channels) {}

void LMemorySoundSink::Write(const Sample* buffer, std::int32_t frames) {
    if (IsError() || frames <= 0) {
        return;
    }
    samples_.insert(samples_.end(), buffer,
                    buffer + static_cast<std::size_t>(frames) * GetChannels());
    AddFramesWritten(frames);
}

void LMemorySoundSink::Truncate(std::int32_t frames) {
    if (frames >= 0 && frames < GetFramesWritten()) {
        samples_.resize(static_cast<std::size_t>(frames) * GetChannels());
        SetFramesWritten(frames);
    }
}

}  // namespace sonvara
