#include "audio/loop_source.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace sonvara {

LSRCLoop::LSRCLoop(LSoundSourceRef upstream, std::int32_t loop_start, std::int32_t loop_end)
    : LSoundSourceBase(upstream->GetSampleRate(), upstream->GetChannels(),
                       upstream->GetMaxSample()),
      upstream_(std::move(upstream)),
      loop_start_(loop_start),
      loop_end_(loop_end),
      position_(upstream_->GetPosition()) {
    FollowErrorsOf(*upstream_);
    if (loop_start < 0 || loop_end <= loop_start || loop_end > upstream_->GetLength()) {
        SetError();
    }
}

std::int32_t LSRCLoop::UpstreamFrame(std::int64_t position) const {
    if (position < loop_end_ || loop_end_ <= loop_start_) {
        return static_cast<std::int32_t>(std::max<std::int64_t>(position, 0));
    }
    return static_cast<std::int32_t>(loop_start_ +
                                     (position - loop_start_) % (loop_end_ - loop_start_));
}

void LSRCLoop::Read(Sample* buffer, std::int32_t frames) {
    const int channels = GetChannels();
    if (IsError()) {
        std::fill_n(buffer, static_cast<std::int64_t>(frames) * channels, 0);
        position_ += frames;
        return;
    }
    while (frames > 0) {
        const std::int32_t at = UpstreamFrame(position_);
        if (upstream_->GetPosition() != at) {
            upstream_->Seek(at);
        }
        // Up to the loop's end (from before the loop, up to the upstream's end of the loop too).
        const std::int32_t piece = std::min(frames, loop_end_ - at);
        upstream_->Read(buffer, piece);
        buffer += static_cast<std::int64_t>(piece) * channels;
        frames -= piece;
        position_ += piece;
    }
}

std::int32_t LSRCLoop::GetPosition() const {
    return static_cast<std::int32_t>(
        std::min<std::int64_t>(position_, std::numeric_limits<std::int32_t>::max()));
}

std::int32_t LSRCLoop::GetLength() const {
    return std::numeric_limits<std::int32_t>::max();
}

void LSRCLoop::Seek(std::int32_t frame) {
    position_ = std::max(frame, 0);
    if (!IsError()) {
        upstream_->Seek(UpstreamFrame(position_));
    }
}

}  // namespace sonvara
