#include "effects/in_place_filter.h"

#include <utility>

namespace sonvara {

LInPlaceFilter::LInPlaceFilter(LSoundSourceRef upstream)
    : LSoundSourceBase(upstream->GetSampleRate(), upstream->GetChannels(),
                       upstream->GetMaxSample()),
      upstream_(std::move(upstream)) {
    if (upstream_->IsError()) {
        SetError();
    }
}

void LInPlaceFilter::Read(Sample* buffer, std::int32_t frames) {
    upstream_->Read(buffer, frames);
    if (frames > 0) {
        Filter(buffer, static_cast<std::size_t>(frames) * static_cast<std::size_t>(GetChannels()));
    }
}

void LInPlaceFilter::Seek(std::int32_t frame) {
    upstream_->Seek(frame);
    Clear();
}

}  // namespace sonvara
