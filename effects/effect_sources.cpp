#include "effects/effect_sources.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <utility>
#include <vector>

#include "audio/split_multiply.h"
#include "document/cut_list_reader.h"
#include "effects/compressor.h"
#include "effects/echo.h"
#include "effects/envelope.h"
#include "effects/equalizer.h"
#include "effects/high_pass.h"
#include "effects/in_place_filter.h"
#include "effects/noise_gate.h"
#include "effects/normalize.h"
#include "effects/speed_pitch.h"

namespace sonvara {
namespace {

// A fixed gain (unity 2^24), applied as the document applies a cut's gain when it reads it.
class LSRCGain : public LInPlaceFilter {
  public:
    LSRCGain(LSoundSourceRef upstream, std::int32_t gain)
        : LInPlaceFilter(std::move(upstream)), gain_(gain) {
        const std::int64_t bound =
            (std::int64_t{Upstream()->GetMaxSample()} * std::abs(std::int64_t{gain}) >> 24) + 1;
        SetMaxSample(static_cast<Sample>(std::clamp<std::int64_t>(bound, 1, INT32_MAX)));
    }

  private:
    void Filter(Sample* samples, std::size_t count) override {
        if (gain_ == kUnityGain) {
            return;
        }
        for (std::size_t i = 0; i < count; ++i) {
            samples[i] = SplitMultiply(samples[i], gain_);
        }
    }
    void Clear() override {}

    std::int32_t gain_;
};

// Frames [start, end) of the upstream as a source of their own, from frame 0.
class LSRCWindow : public LSoundSourceBase {
  public:
    LSRCWindow(LSoundSourceRef upstream, FrameRange range)
        : LSoundSourceBase(upstream->GetSampleRate(), upstream->GetChannels(),
                           upstream->GetMaxSample()),
          upstream_(std::move(upstream)),
          range_(range) {}

    void Read(Sample* buffer, std::int32_t frames) override {
        if (upstream_->GetPosition() != range_.start + position_) {
            upstream_->Seek(range_.start + position_);
        }
        const auto inside = static_cast<std::int32_t>(
            std::clamp<std::int64_t>(GetLength() - std::int64_t{position_}, 0, frames));
        upstream_->Read(buffer, inside);
        std::fill(buffer + static_cast<std::ptrdiff_t>(inside) * GetChannels(),
                  buffer + static_cast<std::ptrdiff_t>(frames) * GetChannels(), 0);
        position_ += frames;
    }
    std::int32_t GetPosition() const override { return position_; }
    std::int32_t GetLength() const override {
        return static_cast<std::int32_t>(std::max<std::int64_t>(range_.Length(), 0));
    }
    void Seek(std::int32_t frame) override { position_ = frame; }

  private:
    LSoundSourceRef upstream_;
    FrameRange range_;
    std::int32_t position_ = 0;
};

// The upstream with the frames of `range` replaced by a source made over a window of them: the
// frames before the range, then the made source's, then those after the range. The made source
// is made afresh for every seek into it, so that each pass through it (a loop's) gives the same
// frames as the first, whatever the source keeps of what it read before.
class LSRCSpliced : public LSoundSourceBase {
  public:
    using MakeMiddle = std::function<LSoundSourceRef(const LSoundSourceRef& window)>;

    LSRCSpliced(LSoundSourceRef upstream, FrameRange range, MakeMiddle make)
        : LSoundSourceBase(upstream->GetSampleRate(), upstream->GetChannels(),
                           upstream->GetMaxSample()),
          upstream_(std::move(upstream)),
          range_(range),
          make_(std::move(make)),
          position_(upstream_->GetPosition()) {
        Remake();
        SetMaxSample(std::max(upstream_->GetMaxSample(), middle_->GetMaxSample()));
        if (upstream_->IsError() || middle_->IsError()) {
            SetError();
        }
    }

    void Read(Sample* buffer, std::int32_t frames) override {
        const auto channels = static_cast<std::ptrdiff_t>(GetChannels());
        while (frames > 0) {
            const std::int64_t middle_end = std::int64_t{range_.start} + middle_->GetLength();
            std::int32_t run = frames;
            if (position_ < range_.start || position_ >= middle_end) {
                const std::int64_t at =
                    position_ < range_.start ? position_ : position_ - middle_end + range_.end;
                if (position_ < range_.start) {
                    run = static_cast<std::int32_t>(
                        std::min<std::int64_t>(run, std::int64_t{range_.start} - position_));
                }
                if (upstream_->GetPosition() != at) {
                    upstream_->Seek(static_cast<std::int32_t>(at));
                }
                upstream_->Read(buffer, run);
            } else {
                run =
                    static_cast<std::int32_t>(std::min<std::int64_t>(run, middle_end - position_));
                const std::int64_t at = position_ - range_.start;
                if (middle_->GetPosition() != at) {
                    Remake();
                    if (at != 0) {
                        middle_->Seek(static_cast<std::int32_t>(at));
                    }
                }
                middle_->Read(buffer, run);
            }
            buffer += run * channels;
            frames -= run;
            position_ += run;
        }
    }
    std::int32_t GetPosition() const override { return static_cast<std::int32_t>(position_); }
    std::int32_t GetLength() const override {
        const std::int64_t length =
            std::int64_t{upstream_->GetLength()} - range_.Length() + middle_->GetLength();
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(length, 0, INT32_MAX));
    }
    void Seek(std::int32_t frame) override { position_ = frame; }

  private:
    void Remake() { middle_ = make_(LSoundSourceRef(new LSRCWindow(upstream_, range_))); }

    LSoundSourceRef upstream_;
    FrameRange range_;
    MakeMiddle make_;
    LSoundSourceRef middle_;
    std::int64_t position_;
};

template <typename Source, typename... Arguments>
EffectSourceFactory Factory(Arguments... arguments) {
    return [arguments...](const LSoundSourceRef& upstream) {
        return LSoundSourceRef(new Source(upstream, arguments...));
    };
}

// Where the values give no effect: the null source, which is in error.
LSoundSourceRef Unusable(const LSoundSourceRef& /*upstream*/) {
    return LSoundSourceRef();
}

// The factor is the one the document gives a cut of unity gain when it amplifies it (unity ÷ 100
// first, then the percent), so the frames are the ones the document then reads.
std::int32_t PercentGain(std::int32_t percent) {
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(std::int64_t{kUnityGain / 100} * percent, INT32_MIN, INT32_MAX));
}

}  // namespace

EffectSourceFactory EffectSource(const AmplifyParameters& parameters) {
    return Factory<LSRCGain>(PercentGain(parameters.gain_percent));
}

EffectSourceFactory GainSource(std::int32_t gain) {
    return Factory<LSRCGain>(gain);
}

EffectSourceFactory EffectSource(const EchoParameters& parameters) {
    return Factory<LSRCEcho>(parameters);
}

EffectSourceFactory EffectSource(const ReverbParameters& parameters) {
    return Factory<LSRCReverb>(parameters);
}

EffectSourceFactory EffectSource(const LowCutParameters& parameters) {
    // The filter takes twice the parameters' frequency.
    const auto frequency = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(std::int64_t{parameters.frequency_hz} * 2, INT32_MIN, INT32_MAX));
    return Factory<LSRCHighPass>(frequency);
}

EffectSourceFactory EffectSource(const CompressorParameters& parameters) {
    const std::optional<double> ratio = CompressorRatioFactor(parameters.ratio_index);
    if (!ratio) {
        return Unusable;
    }
    return Factory<LSRCCompressor>(parameters.threshold_db, *ratio);
}

EffectSourceFactory EffectSource(const NoiseGateParameters& parameters) {
    return Factory<LSRCNoiseGates>(NoiseGateLevels(parameters.level_db));
}

EffectSourceFactory EffectSource(const SpeedPitchParameters& parameters, FrameRange range) {
    return [parameters, range](const LSoundSourceRef& upstream) {
        return LSoundSourceRef(
            new LSRCSpliced(upstream, range, [parameters](const LSoundSourceRef& window) {
                return SpeedPitchSource(window, parameters.percent, parameters.mode);
            }));
    };
}

EffectSourceFactory EqualizerSource(const PointList& points) {
    return [points](const LSoundSourceRef& upstream) {
        return LSoundSourceRef(
            new LSRCEq(upstream, MakeEqualizerResponse(points, upstream->GetSampleRate())));
    };
}

EffectSourceFactory EnvelopeSource(const PointList& points, FrameRange range) {
    return EnvelopeSource(points.ToBytePointList(), range);
}

EffectSourceFactory EnvelopeSource(const BytePointList& points, FrameRange range) {
    return Factory<LSRCEnvelope>(points, range);
}

std::int32_t NormalizePercent(const NormalizeParameters& parameters, std::int64_t peak) {
    if (peak <= 0) {
        return 100;
    }
    return static_cast<std::int32_t>(std::min<std::int64_t>(
        std::int64_t{parameters.peak_percent} * FULL_SCALE / peak, EfNormalize::kMaxPercent));
}

std::int64_t RangePeak(const LCutListAudio& document, FrameRange range) {
    LSRCCutListAudio source(document);
    source.Seek(std::max(range.start, 0));
    const auto channels = static_cast<std::size_t>(source.GetChannels());
    std::vector<Sample> block(channels * kBlockFrames);
    // Magnitudes in 64 bits: the most negative sample has no 32-bit negation.
    std::int64_t peak = 0;
    for (std::int64_t left = range.Length(); left > 0;) {
        const auto frames = static_cast<std::int32_t>(std::min<std::int64_t>(left, kBlockFrames));
        source.Read(block.data(), frames);
        const auto [low, high] = std::minmax_element(
            block.begin(), block.begin() + static_cast<std::ptrdiff_t>(frames * channels));
        peak = std::max({peak, std::int64_t{*high}, -std::int64_t{*low}});
        left -= frames;
    }
    return peak;
}

EffectSourceFactory NormalizeSource(const NormalizeParameters& parameters, std::int64_t peak) {
    return Factory<LSRCGain>(PercentGain(NormalizePercent(parameters, peak)));
}

}  // namespace sonvara
