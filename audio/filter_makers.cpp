#include "audio/filter_makers.h"

#include "audio/convert_channels.h"
#include "audio/convert_rate.h"
#include "audio/peak_limit.h"

namespace sonvara {

LSoundSourceRef LChannelsFilterMaker::Make(const LSoundSourceRef& source) const {
    if (source->IsError() || source->GetChannels() == channels_) {
        return source;
    }
    return new LSPConvChannels(source, channels_);
}

LSoundSourceRef LRateFilterMaker::Make(const LSoundSourceRef& source) const {
    const std::int32_t source_rate = source->GetSampleRate();
    if (source->IsError() || source_rate == rate_) {
        return source;
    }
    if (rate_ < (source_rate >> 2)) {
        LSoundSourceRef first = new LSRCConvertRate(source, rate_ * 2, true);
        return new LSRCConvertRate(first, rate_, false);
    }
    return new LSRCConvertRate(source, rate_, false);
}

LSoundSourceRef LPeakLimitFilterMaker::Make(const LSoundSourceRef& source) const {
    if (source->GetMaxSample() <= limit_) {
        return source;
    }
    return new LSRCPeakLimit(source, limit_);
}

LSoundSourceRef ConvertRateChannelsSource(LSoundSourceRef source, std::int32_t rate, int channels) {
    if (source->GetSampleRate() != rate && source->GetChannels() < channels) {
        source = LRateFilterMaker(rate).Make(source);
    }
    if (source->GetChannels() != channels) {
        source = LChannelsFilterMaker(channels).Make(source);
    }
    if (source->GetSampleRate() != rate) {
        source = LRateFilterMaker(rate).Make(source);
    }
    return source;
}

}  // namespace sonvara
