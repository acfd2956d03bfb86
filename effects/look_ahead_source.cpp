#include "effects/look_ahead_source.h"

#include <algorithm>
#include <utility>

namespace sonvara {

LookAheadSource::LookAheadSource(LSoundSourceRef upstream, std::int32_t block_frames,
                                 Sample max_sample)
    : LSoundSourceBase(upstream->GetSampleRate(), upstream->GetChannels(), max_sample),
      upstream_(std::move(upstream)),
      block_frames_(block_frames) {
    if (upstream_->IsError()) {
        SetError();
    }
}

void LookAheadSource::Restart() {
    ReadFirstBlocks();
    position_ = 0;
}

void LookAheadSource::Read(Sample* buffer, std::int32_t frames) {
    const int channels = GetChannels();
    if (IsError()) {
        std::fill_n(buffer, static_cast<std::size_t>(std::max(frames, 0)) * channels, 0);
        return;
    }
    while (frames > 0) {
        if (position_ == block_frames_) {
            NextBlock();
            position_ = 0;
        }
        const std::int32_t count = std::min(frames, block_frames_ - position_);
        Render(position_, count, buffer);
        buffer += static_cast<std::size_t>(count) * channels;
        position_ += count;
        frames -= count;
    }
}

std::int32_t LookAheadSource::GetPosition() const {
    if (IsError()) {
        return upstream_->GetPosition();
    }
    return upstream_->GetPosition() - 2 * block_frames_ + position_;
}

void LookAheadSource::Seek(std::int32_t frame) {
    upstream_->Seek(frame);
    if (!IsError()) {
        Restart();
    }
}

}  // namespace sonvara
