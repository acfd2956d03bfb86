#include "audio/window_source.h"

#include <algorithm>
#include <limits>

namespace sonvara {

LWindowSource::LWindowSource(LSoundSourceRef upstream, std::int32_t start,
                             std::optional<std::int32_t> length, std::int32_t trim_end)
    : LSoundSourceBase(upstream->GetSampleRate(), upstream->GetChannels(),
                       upstream->GetMaxSample()),
      upstream_(std::move(upstream)),
      start_(std::max(start, 0)),
      length_(length),
      trim_end_(std::max(trim_end, 0)) {
    FollowErrorsOf(*upstream_);
    upstream_->Seek(start_);
}

std::int32_t LWindowSource::GetLength() const {
    if (length_) {
        return std::max(*length_, 0);
    }
    const std::int64_t left = std::int64_t{upstream_->GetLength()} - start_ - trim_end_;
    return static_cast<std::int32_t>(std::max<std::int64_t>(left, 0));
}

void LWindowSource::Read(Sample* buffer, std::int32_t frames) {
    if (frames <= 0) {
        return;
    }
    upstream_->Read(buffer, frames);
    // Whatever the upstream holds outside the stretch reads as silence.
    const std::int64_t before = std::clamp<std::int64_t>(-std::int64_t{position_}, 0, frames);
    std::fill(buffer, buffer + before * GetChannels(), 0);
    const std::int64_t end = GetLength();
    const std::int64_t kept = std::clamp<std::int64_t>(end - position_, 0, frames);
    std::fill(buffer + kept * GetChannels(), buffer + std::int64_t{frames} * GetChannels(), 0);
    position_ = static_cast<std::int32_t>(std::min<std::int64_t>(
        std::int64_t{position_} + frames, std::numeric_limits<std::int32_t>::max()));
}

void LWindowSource::Seek(std::int32_t frame) {
    position_ = frame;
    upstream_->Seek(static_cast<std::int32_t>(std::clamp<std::int64_t>(
        std::int64_t{start_} + frame, std::numeric_limits<std::int32_t>::min(),
        std::numeric_limits<std::int32_t>::max())));
}

}  // namespace sonvara
