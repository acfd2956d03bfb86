#include "effects/echo.h"

#include <algorithm>
#include <utility>

#include "audio/sound_time.h"
#include "audio/split_multiply.h"
#include "effects/effect_parameters.h"
#include "effects/effect_process.h"
#include "effects/effect_sources.h"
#include "effects/registry/built_in_effects.h"

namespace sonvara {
namespace {

constexpr std::uint32_t kMinDelay = 128;

// A loud echo can pass any bound the upstream promises.
Sample EchoMaxSample(const LSoundSourceRef& upstream) {
    return std::max(upstream->GetMaxSample(), kUnknownMaxSample);
}

}  // namespace

std::uint32_t DelaySamples(std::int32_t milliseconds, std::int32_t rate, int channels) {
    const std::int64_t frames = FramesFromMilliseconds(milliseconds, rate);
    return static_cast<std::uint32_t>(std::max<std::int64_t>(frames * channels, kMinDelay));
}

LSRCEcho::LSRCEcho(LSoundSourceRef upstream, const EchoParameters& parameters)
    : LInPlaceFilter(std::move(upstream)),
      delay_(DelaySamples(parameters.time_ms, GetSampleRate(), GetChannels()), 0),
      gain_(static_cast<std::int32_t>(std::int64_t{parameters.gain_percent} * 256 / 100)) {
    SetMaxSample(EchoMaxSample(Upstream()));
}

void LSRCEcho::Filter(Sample* samples, std::size_t count) {
    while (count > 0) {
        // Up to the end of the ring at a time, so the loop needs no wrap test.
        const std::size_t run = std::min(count, delay_.size() - write_);
        Sample* line = delay_.data() + write_;
        for (std::size_t i = 0; i < run; ++i) {
            const Sample y = WrapAdd(samples[i], WrapMul(line[i], gain_) >> 8);
            line[i] = y;
            samples[i] = y;
        }
        samples += run;
        count -= run;
        write_ = (write_ + run) % delay_.size();
    }
}

void LSRCEcho::Clear() {
    std::fill(delay_.begin(), delay_.end(), 0);
}

LSRCReverb::LSRCReverb(LSoundSourceRef upstream, const ReverbParameters& parameters)
    : LInPlaceFilter(std::move(upstream)),
      delay_(DelaySamples(parameters.time_ms, GetSampleRate(), GetChannels()), 0) {
    SetMaxSample(EchoMaxSample(Upstream()));
    const double length = static_cast<double>(delay_.size());
    const double positions[4] = {0.7413, 0.5581, 0.3823, 0.211};
    for (int t = 0; t < 4; ++t) {
        taps_[t] = static_cast<std::size_t>(length * positions[t]);
    }
    const auto level = static_cast<double>(std::int64_t{parameters.level_percent} * 512 / 100);
    const double factors[5] = {0.4, 0.1, 0.3, 0.07, 0.13};
    for (int g = 0; g < 5; ++g) {
        gains_[g] = static_cast<std::int32_t>(level * factors[g]);
    }
}

void LSRCReverb::Filter(Sample* samples, std::size_t count) {
    const std::size_t length = delay_.size();
    Sample* line = delay_.data();
    for (std::size_t i = 0; i < count; ++i) {
        Sample y = samples[i];
        for (int t = 0; t < 4; ++t) {
            y = WrapAdd(y, WrapMul(line[taps_[t]], gains_[t]) >> 9);
            taps_[t] = taps_[t] + 1 == length ? 0 : taps_[t] + 1;
        }
        y = WrapAdd(y, WrapMul(line[write_], gains_[4]) >> 9);
        line[write_] = y;
        write_ = write_ + 1 == length ? 0 : write_ + 1;
        samples[i] = y;
    }
}

void LSRCReverb::Clear() {
    std::fill(delay_.begin(), delay_.end(), 0);
}

EfEcho::EfEcho(LCutListAudio& document, FrameRange range, const EchoParameters& parameters)
    : LProgressDialog("Sonvara"), document_(document), range_(range), parameters_(parameters) {}

ProcessResult EfEcho::Body() {
    if (!Check(parameters_)) {
        return PROCESS_FAILED;
    }
    return RunRangeEffect(*this, "Echo", document_, range_, EffectSource(parameters_));
}

EfReverb::EfReverb(LCutListAudio& document, FrameRange range, const ReverbParameters& parameters)
    : LProgressDialog("Sonvara"), document_(document), range_(range), parameters_(parameters) {}

ProcessResult EfReverb::Body() {
    if (!Check(parameters_)) {
        return PROCESS_FAILED;
    }
    return RunRangeEffect(*this, "Reverb", document_, range_, EffectSource(parameters_));
}

EffectEntry EchoEffect() {
    return {
        .id = "echo",
        .names = {"Eco...", "Eco", "Eco"},
        .fields = {MillisecondsField(kEchoTime, ValueWidth::kInt32, "Tiempo de Eco (ms)",
                                     "tiempo (ms)", " Tiempo de Eco (mins.)"),
                   PercentField(kEchoGain, ValueWidth::kInt16, "Ganancia de Eco (%)",
                                "ganancia (%)", "Ganancia de Eco (%)")},
        .check = TypedEffectWork<EfEcho, kEchoStored>::Check,
        .apply = TypedEffectWork<EfEcho, kEchoStored>::Apply,
        .preview = TypedEffectWork<EfEcho, kEchoStored>::Preview,
        .stream = TypedEffectWork<EfEcho, kEchoStored>::Stream,
        .dialog = EffectDialog::kFields,
        .dialog_name = "LSVEchoDlg",
        .menu = {EffectGroup::kDelay, false, 4004},
        .batch_id = 7,
    };
}

// The dialog asks the level first, as the check does; scripts hold the time first.
EffectEntry ReverbEffect() {
    return {
        .id = "reverb",
        .names = {"Reverb...", "Reverb", "Reverberancia"},
        .fields = {MillisecondsField(kReverbTime, ValueWidth::kInt32,
                                     "Tiempo de la Reverberancia (ms)", "tiempo (ms)",
                                     "Tiempo de la Reverberancia (mins.)"),
                   [] {
                       EffectField level = PercentField(kReverbLevel, ValueWidth::kInt16,
                                                        "Nivel de la Reverberancia (%)",
                                                        "nivel (%)", "Nivel de Reverberancia (%)");
                       // The list has always shown 50 as the level of an item without data.
                       level.listed_without_data = 50;
                       return level;
                   }()},
        .dialog_order = {1, 0},
        .check = TypedEffectWork<EfReverb, kReverbStored>::Check,
        .apply = TypedEffectWork<EfReverb, kReverbStored>::Apply,
        .preview = TypedEffectWork<EfReverb, kReverbStored>::Preview,
        .stream = TypedEffectWork<EfReverb, kReverbStored>::Stream,
        .dialog = EffectDialog::kFields,
        .dialog_name = "LSVReverbDlg",
        .menu = {EffectGroup::kDelay, false, 4005},
        .batch_id = 8,
    };
}

}  // namespace sonvara
