#include "effects/speed_pitch.h"

#include <algorithm>
#include <utility>

#include "audio/filter_makers.h"
#include "audio/source_to_sink.h"
#include "document/cut_list_reader.h"
#include "document/cut_writer.h"
#include "effects/effect_process.h"
#include "effects/time_stretch.h"

namespace sonvara {
namespace {

constexpr double kMinFactor = 0.1;

// Passes the upstream through under another sample rate: resampled audio played at the old rate.
class LRelabelledRate : public LSoundSourceBase {
  public:
    LRelabelledRate(LSoundSourceRef upstream, std::int32_t rate)
        : LSoundSourceBase(rate, upstream->GetChannels(), upstream->GetMaxSample()),
          upstream_(std::move(upstream)) {
        if (upstream_->IsError()) {
            SetError();
        }
    }

    void Read(Sample* buffer, std::int32_t frames) override { upstream_->Read(buffer, frames); }
    std::int32_t GetPosition() const override { return upstream_->GetPosition(); }
    std::int32_t GetLength() const override { return upstream_->GetLength(); }
    void Seek(std::int32_t frame) override { upstream_->Seek(frame); }

  private:
    LSoundSourceRef upstream_;
};

LSoundSourceRef Resampled(const LSoundSourceRef& source, double factor) {
    const std::int32_t rate = source->GetSampleRate();
    const auto target = static_cast<std::int32_t>(rate / factor);
    return LSoundSourceRef(new LRelabelledRate(LRateFilterMaker(target).Make(source), rate));
}

}  // namespace

LSoundSourceRef SpeedPitchSource(const LSoundSourceRef& source, std::int32_t percent,
                                 std::int32_t mode) {
    const double factor = std::max(percent * 0.01, kMinFactor);
    switch (mode) {
        case kSpeedPitchSimple:
            return Resampled(source, factor);
        case kSpeedPitchConstantPitch:
            return LSoundSourceRef(new LSRCTimeStretch(source, factor, 1.0, 0));
        case kSpeedPitchConstantSpeed:
            return LSoundSourceRef(
                new LSRCTimeStretch(Resampled(source, factor), 1 / factor, 1.0, 0));
        default:
            return LSoundSourceRef();
    }
}

LEfChangeSpeedPitch::LEfChangeSpeedPitch(LCutListAudio& document, FrameRange range,
                                         const SpeedPitchParameters& parameters)
    : LProgressDialog("Sonvara"), document_(document), range_(range), parameters_(parameters) {}

ProcessResult LEfChangeSpeedPitch::Body() {
    if (range_.Reversed()) {
        return PROCESS_DONE;
    }
    SetText("Speed and Pitch Change", 0);
    SetText("Please wait...", 1);
    LCutListAudio selection;
    document_.EfCopy(range_.start, range_.end, selection);
    LCutListAudio changed;
    ProcessResult result;
    {
        LSoundSourceRef source = SpeedPitchSource(LSoundSourceRef(new LSRCCutListAudio(selection)),
                                                  parameters_.percent, parameters_.mode);
        if (source->IsError()) {
            return PROCESS_FAILED;
        }
        LSoundSinkRef sink(
            new LSNKCutListAudio(changed, document_.GetSampleRate(), document_.GetChannels()));
        result = FinishSink(*this, CopyToEnd(*this, source, sink), *sink);
    }
    if (result == PROCESS_DONE) {
        document_.Replace(range_.start, range_.end, changed);
        range_.end = range_.start + changed.GetLength();
    }
    return result;
}

}  // namespace sonvara
