#include "effects/envelope.h"

#include <algorithm>

#include <utility>

#include "audio/split_multiply.h"
#include "effects/effect_process.h"
#include "effects/effect_sources.h"
#include "effects/point_list.h"
#include "effects/registry/built_in_effects.h"

namespace sonvara {
namespace {

std::int32_t Level(std::uint8_t y) {
    return std::int32_t{y} << 17;
}

}  // namespace

// The length is divided by 255 in two parts, so that no product overflows.
std::int64_t EnvelopePointFrame(std::int64_t length, std::uint8_t x) {
    return (length / 255) * x + ((length % 255) * x) / 255;
}

BytePointList FadeInPoints() {
    return {{{0, 0}, {255, 128}}};
}

BytePointList FadeOutPoints() {
    return {{{0, 128}, {255, 0}}};
}

LSRCEnvelope::LSRCEnvelope(LSoundSourceRef upstream, const BytePointList& envelope,
                           FrameRange range)
    : LSoundSourceBase(upstream->GetSampleRate(), upstream->GetChannels(),
                       static_cast<Sample>(std::min<std::int64_t>(
                           std::int64_t{upstream->GetMaxSample()} * 2, INT32_MAX))),
      upstream_(std::move(upstream)),
      range_(range) {
    const auto& points = envelope.points;
    if (upstream_->IsError() || points.size() < 2) {
        SetError();
        return;
    }
    const std::int64_t length = std::max<std::int64_t>(range.Length(), 0);
    // The first point's x is not used: the first segment always starts at frame 0.
    std::int32_t gain = Level(points[0].second);
    std::int32_t target = gain;
    std::int64_t start = 0;
    for (std::size_t i = 1; i < points.size(); ++i) {
        const std::int64_t end = EnvelopePointFrame(length, points[i].first);
        target = Level(points[i].second);
        if (end > start) {
            segments_.push_back({start, end, gain, target});
            gain = target;
            start = end;
        }
    }
    if (start < length) {
        segments_.push_back({start, length, gain, target});
    }
}

void LSRCEnvelope::Enter(std::int64_t offset) {
    segment_ = 0;
    while (segments_[segment_].end <= offset) {
        ++segment_;
    }
    const Segment& segment = segments_[segment_];
    segment_frames_ = segment.end - segment.start;
    const std::int64_t delta = std::int64_t{segment.to} - segment.from;
    // Floor division: the remainders stay in [0, n).
    auto floor_div = [](std::int64_t a, std::int64_t b) {
        return a / b - ((a % b != 0) && (a < 0) ? 1 : 0);
    };
    step_ = floor_div(delta, segment_frames_);
    step_remainder_ = delta - step_ * segment_frames_;
    const std::int64_t product = delta * (offset - segment.start);
    const std::int64_t q = floor_div(product, segment_frames_);
    gain_ = segment.from + q;
    remainder_ = product - q * segment_frames_;
    expected_ = offset;
}

void LSRCEnvelope::Read(Sample* buffer, std::int32_t frames) {
    const std::int64_t first = upstream_->GetPosition();
    upstream_->Read(buffer, frames);
    if (IsError() || segments_.empty()) {
        return;
    }
    const auto channels = static_cast<std::size_t>(GetChannels());
    const std::int64_t from = std::max<std::int64_t>(first, range_.start) - range_.start;
    const std::int64_t to = std::min<std::int64_t>(first + frames, range_.end) - range_.start;
    Sample* frame = buffer + static_cast<std::size_t>(from + range_.start - first) * channels;
    for (std::int64_t offset = from; offset < to;) {
        if (offset != expected_ || offset >= segments_[segment_].end) {
            Enter(offset);
        }
        const std::int64_t stop = std::min(to, segments_[segment_].end);
        for (; offset < stop; ++offset, frame += channels) {
            const auto gain = static_cast<std::int32_t>(gain_);
            for (std::size_t c = 0; c < channels; ++c) {
                frame[c] = SplitMultiply(frame[c], gain);
            }
            gain_ += step_;
            remainder_ += step_remainder_;
            if (remainder_ >= segment_frames_) {
                ++gain_;
                remainder_ -= segment_frames_;
            }
        }
        expected_ = offset;
    }
}

void LSRCEnvelope::Seek(std::int32_t frame) {
    upstream_->Seek(frame);
    expected_ = -1;
}

ProcessResult ApplyEnvelope(LProgressDialog& process, LCutListAudio& document, FrameRange range,
                            const BytePointList& envelope) {
    if (range.Reversed()) {
        return PROCESS_DONE;
    }
    if (envelope.points.size() < 2) {
        return PROCESS_FAILED;
    }
    return RunRangeEffect(process, "Envelope", document, range, EnvelopeSource(envelope, range));
}

LEfEnvelope::LEfEnvelope(LCutListAudio& document, FrameRange range, BytePointList envelope)
    : LProgressDialog("Sonvara"),
      document_(document),
      range_(range),
      envelope_(std::move(envelope)) {}

ProcessResult LEfEnvelope::Body() {
    return ApplyEnvelope(*this, document_, range_, envelope_);
}

ProcessResult EfFadeOutAndTrim::Body() {
    const ProcessResult result = EfFadeOut::Body();
    if (result == PROCESS_DONE) {
        Document().TrimEnd(SelectionEnd());
    }
    return result;
}

namespace {

template <typename Fade>
EffectEntry FadeEffect(std::string id, std::string name, bool separator_before, int command) {
    return {
        .id = std::move(id),
        .names = {name, name, ""},
        .fields = {},
        .apply = [](const ProcessRunner& run, LCutListAudio& document, FrameRange& range,
                    const EffectValues&) { return RunEffectProcess<Fade>(run, document, range); },
        .menu = {EffectGroup::kVolume, separator_before, command},
    };
}

}  // namespace

EffectEntry FadeInEffect() {
    return FadeEffect<EfFadeIn>("fade-in", "Fade In", true, 4006);
}

EffectEntry FadeOutEffect() {
    return FadeEffect<EfFadeOut>("fade-out", "Fade Out", false, 4007);
}

EffectEntry FadeOutAndTrimEffect() {
    return FadeEffect<EfFadeOutAndTrim>("fade-out-trim", "Oírse y recortar", false, 4013);
}

// The points run along the selection (a batch stream's whole length, asked of the stream).
EffectEntry EnvelopeEffect() {
    return {
        .id = "envelope",
        .names = {"Envolver...", "Envolver", "Envolver"},
        .fields = {PointListField(kEnvelopePointsFile)},
        .apply =
            [](const ProcessRunner& run, LCutListAudio& document, FrameRange& range,
               const EffectValues& v) {
                return RunEffectProcess<LEfEnvelope>(run, document, range,
                                                     v.points.ToBytePointList());
            },
        .stream = [](const EffectValues& v, StreamInput& input) -> std::optional<StreamStage> {
            const BytePointList points = v.points.ToBytePointList();
            if (points.points.size() < 2) {
                return std::nullopt;
            }
            return StreamStage{EnvelopeSource(points, FrameRange{0, input.Length()})};
        },
        .dialog = EffectDialog::kEnvelopePoints,
        .menu = {EffectGroup::kVolume, false, 4008},
        .batch_id = 9,
    };
}

}  // namespace sonvara
