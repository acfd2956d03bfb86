#include "batch/batch_stream.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "audio/filter_makers.h"
#include "audio/peak_limit.h"
#include "audio/split_multiply.h"
#include "effects/effect_sources.h"
#include "effects/in_place_filter.h"

namespace sonvara {

// The input as it is, in error once its length differs from the one taken when armed.
class LSRCLengthGuard : public LSoundSourceBase {
  public:
    explicit LSRCLengthGuard(LSoundSourceRef upstream)
        : LSoundSourceBase(upstream->GetSampleRate(), upstream->GetChannels(),
                           upstream->GetMaxSample()),
          upstream_(std::move(upstream)) {
        FollowErrorsOf(*upstream_);
    }

    void Read(Sample* buffer, std::int32_t frames) override {
        upstream_->Read(buffer, frames);
        if (armed_ && upstream_->GetLength() != length_) {
            changed_ = true;
            SetError();
        }
    }
    std::int32_t GetPosition() const override { return upstream_->GetPosition(); }
    std::int32_t GetLength() const override { return upstream_->GetLength(); }
    void Seek(std::int32_t frame) override { upstream_->Seek(frame); }

    void Arm() {
        if (!armed_) {
            armed_ = true;
            length_ = upstream_->GetLength();
        }
    }
    bool Changed() const { return changed_; }

  private:
    LSoundSourceRef upstream_;
    bool armed_ = false;
    bool changed_ = false;
    std::int32_t length_ = 0;
};

namespace {

// The upstream as it is, declaring no bound below the general one.
class LSRCUnboundedMax : public LInPlaceFilter {
  public:
    explicit LSRCUnboundedMax(LSoundSourceRef upstream) : LInPlaceFilter(std::move(upstream)) {
        SetMaxSample(std::max(GetMaxSample(), kUnknownMaxSample));
    }

  private:
    void Filter(Sample*, std::size_t) override {}
    void Clear() override {}
};

}  // namespace

// A stage's frames up to its length, then silence: what a document holding the stage's result
// gives to the stage after it, whose filters read ahead past the end. A length that moves after
// the silence began (a reader that found more frames than it estimated) cannot be followed: the
// stage is then in error, and the file goes through the document.
class LSRCStageEnd : public LSoundSourceBase {
  public:
    explicit LSRCStageEnd(LSoundSourceRef upstream)
        : LSoundSourceBase(upstream->GetSampleRate(), upstream->GetChannels(),
                           upstream->GetMaxSample()),
          upstream_(std::move(upstream)),
          position_(upstream_->GetPosition()) {
        FollowErrorsOf(*upstream_);
    }

    void Read(Sample* buffer, std::int32_t frames) override {
        const std::int32_t length = upstream_->GetLength();
        if (silent_from_ >= 0 && length != silent_from_) {
            changed_ = true;
            SetError();
        }
        const auto inside = static_cast<std::int32_t>(
            std::clamp<std::int64_t>(std::int64_t{length} - position_, 0, frames));
        if (inside > 0) {
            upstream_->Read(buffer, inside);
        }
        if (inside < frames) {
            std::fill(buffer + static_cast<std::ptrdiff_t>(inside) * GetChannels(),
                      buffer + static_cast<std::ptrdiff_t>(frames) * GetChannels(), 0);
            if (silent_from_ < 0) {
                silent_from_ = length;
            }
        }
        position_ += frames;
    }
    std::int32_t GetPosition() const override { return position_; }
    std::int32_t GetLength() const override { return upstream_->GetLength(); }
    void Seek(std::int32_t frame) override {
        upstream_->Seek(frame);
        position_ = frame;
    }
    bool Changed() const { return changed_; }

  private:
    LSoundSourceRef upstream_;
    std::int32_t position_;
    std::int32_t silent_from_ = -1;
    bool changed_ = false;
};

BatchStream::BatchStream(LSoundSourceRef input, std::function<LSoundSourceRef()> reopen,
                         ProcessRunner run)
    : guard_(new LSRCLengthGuard(std::move(input))),
      guard_ref_(guard_),
      gain_(kUnityGain),
      reopen_(std::move(reopen)),
      run_(std::move(run)) {
    EndStage(guard_ref_);
}

BatchStream::~BatchStream() = default;

const LSoundSourceRef& BatchStream::Source() {
    if (gain_ != kUnityGain) {
        source_ = GainSource(gain_)(source_);
        gain_ = kUnityGain;
    }
    return source_;
}

void BatchStream::Record(std::function<void(BatchStream&)> step) {
    steps_.push_back(std::move(step));
}

void BatchStream::Then(const EffectSourceFactory& make) {
    Record([make](BatchStream& copy) { copy.Then(make); });
    EndStage(make(Source()));
}

void BatchStream::EndStage(LSoundSourceRef stage) {
    limited_ = false;
    auto* end = new LSRCStageEnd(std::move(stage));
    source_ = end;
    ends_.push_back(end);
}

void BatchStream::Amplify(std::int32_t percent) {
    if (percent == 100) {
        return;
    }
    Record([percent](BatchStream& copy) { copy.Amplify(percent); });
    // As LCutListAudio::EfAmplifyAll: the stored gain divided first, the product saturating.
    gain_ = static_cast<std::int32_t>(std::clamp<std::int64_t>(
        std::int64_t{gain_ / 100} * percent, std::numeric_limits<std::int32_t>::min(),
        std::numeric_limits<std::int32_t>::max()));
}

void BatchStream::ScaleGain(double factor) {
    if (factor == 1.0) {
        return;
    }
    Record([factor](BatchStream& copy) { copy.ScaleGain(factor); });
    // As LCutListAudio::EfScaleGain.
    const double scaled = std::round(static_cast<double>(gain_) * factor);
    gain_ = static_cast<std::int32_t>(std::clamp<double>(scaled,
                                                         std::numeric_limits<std::int32_t>::min(),
                                                         std::numeric_limits<std::int32_t>::max()));
}

void BatchStream::Convert(std::int32_t rate, int channels) {
    LSoundSourceRef source = Source();
    if (source->GetSampleRate() == rate && source->GetChannels() == channels) {
        return;
    }
    Record([rate, channels](BatchStream& copy) { copy.Convert(rate, channels); });
    source = ConvertRateChannelsSource(source, rate, channels);
    // The document's conversion limits its new cuts at full scale when their bound says they may
    // pass it. The limiter leaves frames within the limit as they are, so it is always put here:
    // it then acts exactly where the document's would, whatever bound the stages declare.
    EndStage(new LSRCPeakLimit(source, FULL_SCALE));
    limited_ = true;
}

LSoundSourceRef BatchStream::ForSave() {
    if (limited_ && gain_ == kUnityGain) {
        // The chain ends in a conversion's limit: nothing passes full scale, and the limit the
        // document's save would add could only leave the frames as they are.
        return source_;
    }
    return new LSRCUnboundedMax(Source());
}

std::int32_t BatchStream::FixedLength() {
    guard_->Arm();
    return Source()->GetLength();
}

ProcessResult BatchStream::FirstPass(const Pass& pass) {
    pass_result_ = PROCESS_FAILED;
    if (!reopen_ || !run_) {
        return pass_result_;
    }
    BatchStream copy(reopen_());
    for (const std::function<void(BatchStream&)>& step : steps_) {
        step(copy);
    }
    pass_result_ = pass(copy.Source(), run_);
    return pass_result_;
}

bool BatchStream::LengthChanged() const {
    return guard_->Changed() ||
           std::ranges::any_of(ends_, [](const LSRCStageEnd* end) { return end->Changed(); });
}

}  // namespace sonvara
