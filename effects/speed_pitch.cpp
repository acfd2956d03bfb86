#include "effects/speed_pitch.h"

#include <algorithm>
#include <utility>

#include "audio/filter_makers.h"
#include "audio/source_to_sink.h"
#include "document/cut_list_reader.h"
#include "document/cut_writer.h"
#include "effects/effect_process.h"
#include "effects/effect_sources.h"
#include "effects/registry/built_in_effects.h"
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

namespace {

// The three changes share their parameters, their check and their dialog; each keeps its own
// percent. In a stream the change runs over the whole of it.
EffectEntry SpeedEffect(std::string id, const std::string& name, SpeedPitchMode mode,
                        EffectField percent, bool separator_before, int command,
                        std::uint32_t batch_id) {
    auto parameters = [mode](const EffectValues& v) {
        return SpeedPitchParameters{.percent = v.numbers.empty() ? 0 : v.numbers[0], .mode = mode};
    };
    return {
        .id = std::move(id),
        .names = {name + "...", name, name},
        .fields = {std::move(percent)},
        .check = [parameters](const EffectValues& v) { return Check(parameters(v)); },
        .apply =
            [parameters](const ProcessRunner& run, LCutListAudio& document, FrameRange& range,
                         const EffectValues& v) {
                LEfChangeSpeedPitch change(document, range, parameters(v));
                const ProcessResult result = run(change);
                range.end = change.SelectionEnd();
                return result;
            },
        .preview =
            [parameters](const EffectValues& v, const EffectPlace& place) {
                return EffectSource(parameters(v), place.Part());
            },
        .stream = [parameters](const EffectValues& v, StreamInput&) -> std::optional<StreamStage> {
            const SpeedPitchParameters speed = parameters(v);
            return StreamStage{[speed](const LSoundSourceRef& upstream) {
                return SpeedPitchSource(upstream, speed.percent, speed.mode);
            }};
        },
        .dialog = EffectDialog::kFields,
        .dialog_name = "LSVSpeedChangeDlg",
        .menu = {EffectGroup::kTimePitch, separator_before, command},
        .batch_id = batch_id,
    };
}

}  // namespace

EffectEntry SpeedSimpleEffect() {
    return SpeedEffect(
        "speed", "Cambio Simple de Velocidad y Tono", kSpeedPitchSimple,
        PercentField(kSpSpeedPitch, ValueWidth::kInt16, "Ajuste de Tono/Velocidad (%)",
                     "porcentaje", "Ajuste de Velocidad/Tono (%)"),
        false, 4014, 12);
}

EffectEntry ConstantPitchEffect() {
    return SpeedEffect("tempo", "Cambio Constante de Tono y Velocidad", kSpeedPitchConstantPitch,
                       PercentField(kConstPitchSpeed, ValueWidth::kInt16, "Ajuste de Velocidad (%)",
                                    "porcentaje", "Ajuste de Velocidad (%)"),
                       false, 4015, 13);
}

// A script's item without data has always fallen back on 100 here, the dialog on 0.
EffectEntry ConstantSpeedEffect() {
    EffectField percent = PercentField(kConstSpeedPitch, ValueWidth::kInt16, "Ajuste de Tono(%)",
                                       "porcentaje", "Ajuste de Tono (%)");
    percent.batch_default = 100;
    return SpeedEffect("pitch", "Cambio Constante de Velocidad y Tono", kSpeedPitchConstantSpeed,
                       std::move(percent), false, 4016, 14);
}

}  // namespace sonvara
