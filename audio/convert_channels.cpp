#include "audio/convert_channels.h"

#include <algorithm>

namespace sonvara {

LSPConvChannels::LSPConvChannels(LSoundSourceRef upstream, int channels)
    : LSoundSourceBase(upstream->GetSampleRate(), channels, upstream->GetMaxSample()),
      upstream_(std::move(upstream)),
      work_(static_cast<std::size_t>(upstream_->GetChannels()) * kBlockFrames) {
    // Only one and two channels are converted.
    FollowErrorsOf(*upstream_);
    if (channels > 2 || upstream_->GetChannels() > 2) {
        SetError();
    }
}

void LSPConvChannels::Read(Sample* buffer, std::int32_t frames) {
    const int from = upstream_->GetChannels();
    const int to = GetChannels();
    if (IsError()) {
        std::fill_n(buffer, std::max(frames, 0) * to, 0);
        return;
    }
    if (from == to) {
        upstream_->Read(buffer, frames);
        return;
    }
    while (frames > 0) {
        const std::int32_t count = std::min(frames, kBlockFrames);
        upstream_->Read(work_.data(), count);
        if (from == 1) {
            for (std::int32_t i = 0; i < count; ++i) {
                buffer[2 * i] = work_[i];
                buffer[2 * i + 1] = work_[i];
            }
        } else {
            for (std::int32_t i = 0; i < count; ++i) {
                buffer[i] = work_[2 * i];
            }
        }
        buffer += count * to;
        frames -= count;
    }
}

}  // namespace sonvara
