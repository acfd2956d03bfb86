#include "effects/high_pass.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

#include "audio/split_multiply.h"
#include "effects/effect_process.h"
#include "effects/effect_sources.h"
#include "effects/registry/built_in_effects.h"

namespace sonvara {

std::int32_t OnePoleCoefficient(double frequency, std::int32_t rate) {
    return static_cast<std::int32_t>((1.0 - std::exp(-2.0 * std::numbers::pi * frequency / rate)) *
                                     256.0);
}

LSRCHighPass::LSRCHighPass(LSoundSourceRef upstream, std::int32_t cut_frequency)
    : LInPlaceFilter(std::move(upstream)),
      a_(OnePoleCoefficient(cut_frequency, GetSampleRate())),
      state_(static_cast<std::size_t>(GetChannels()), 0) {
    // A high-pass overshoots on steps: allow for twice the upstream's bound.
    if (GetMaxSample() <= 0x100000) {
        SetMaxSample(GetMaxSample() * 2);
    }
}

void LSRCHighPass::Filter(Sample* samples, std::size_t count) {
    const std::size_t channels = state_.size();
    for (std::size_t i = 0; i < count; i += channels) {
        for (std::size_t c = 0; c < channels; ++c) {
            const Sample out = WrapSub(samples[i + c], state_[c] >> 8);
            state_[c] = WrapAdd(state_[c], WrapMul(out, a_));
            samples[i + c] = out;
        }
    }
}

void LSRCHighPass::Clear() {
    std::fill(state_.begin(), state_.end(), 0);
}

EfLowCutFilter::EfLowCutFilter(LCutListAudio& document, FrameRange range,
                               const LowCutParameters& parameters)
    : LProgressDialog("Sonvara"), document_(document), range_(range), parameters_(parameters) {}

ProcessResult EfLowCutFilter::Body() {
    return RunRangeEffect(*this, "Low Cut Filter", document_, range_, EffectSource(parameters_));
}

// Every cut frequency is accepted.
EffectEntry HighPassEffect() {
    return {
        .id = "high-pass",
        .names = {"Filtro High-Pass...", "Filtro High-Pass", "Filtro High-Pass"},
        .fields = {FrequencyField(kLowCutFreq, "Frecuencia de corte (Hz)", "frecuencia (Hz)",
                                  "Frecuencia (Hz)")},
        .apply = TypedEffectWork<EfLowCutFilter, kLowCutStored>::Apply,
        .preview = TypedEffectWork<EfLowCutFilter, kLowCutStored>::Preview,
        .stream = TypedEffectWork<EfLowCutFilter, kLowCutStored>::Stream,
        .dialog = EffectDialog::kFields,
        .dialog_name = "LSVHighPassDlg",
        .menu = {EffectGroup::kFilters, false, 4011},
        .batch_id = 5,
    };
}

}  // namespace sonvara
