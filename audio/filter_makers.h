#pragma once
// Filter makers wrap a source in a format filter, or hand back the source itself (one more
// reference to it) when nothing needs doing. Processes build their chains with them:
//     source = LChannelsFilterMaker(sink->GetChannels()).Make(source);

#include <cstdint>

#include "audio/sound_source.h"

namespace sonvara {

class LSourceFilterMaker {
  public:
    virtual ~LSourceFilterMaker() = default;
    virtual LSoundSourceRef Make(const LSoundSourceRef& source) const = 0;
};

// To `channels` channels (1 or 2); the source itself when it is in error or has them already.
class LChannelsFilterMaker : public LSourceFilterMaker {
  public:
    explicit LChannelsFilterMaker(int channels) : channels_(channels) {}
    LSoundSourceRef Make(const LSoundSourceRef& source) const override;

  private:
    int channels_;
};

// To `rate`; the source itself when it is in error or has the rate already. A target below a
// quarter of the source rate goes in two stages, through twice the target rate.
class LRateFilterMaker : public LSourceFilterMaker {
  public:
    explicit LRateFilterMaker(std::int32_t rate) : rate_(rate) {}
    LSoundSourceRef Make(const LSoundSourceRef& source) const override;

  private:
    std::int32_t rate_;
};

// Limits to `limit`; the source itself when it cannot exceed the limit (its declared largest
// sample is not above it).
class LPeakLimitFilterMaker : public LSourceFilterMaker {
  public:
    explicit LPeakLimitFilterMaker(Sample limit) : limit_(limit) {}
    LSoundSourceRef Make(const LSoundSourceRef& source) const override;

  private:
    Sample limit_;
};

// `source` at `rate` and `channels`, itself when it has both. The rate converter runs on the fewer
// channels: before a channel count goes up, after it goes down.
LSoundSourceRef ConvertRateChannelsSource(LSoundSourceRef source, std::int32_t rate, int channels);

}  // namespace sonvara
