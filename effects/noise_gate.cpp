#include "effects/noise_gate.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "audio/decibel_table.h"
#include "audio/split_multiply.h"
#include "effects/effect_process.h"
#include "effects/effect_sources.h"
#include "effects/high_pass.h"
#include "effects/registry/built_in_effects.h"

namespace sonvara {
namespace {

constexpr std::array<double, LSRCNoiseGates::kBands> kSplitFrequencies = {50, 400, 1100, 2600};

// 2^33 ÷ (D[dB] × 2^−24 × 2^17), with D the decibel table: a gate begins to open when its band's
// masked peak reaches D[dB] ÷ 128 (a quarter of full scale at 0 dB) and is fully open at five
// times that. Thresholds for very low levels do not fit in 32 bits and are held at the top.
std::int32_t GateThreshold(int level_db) {
    const double factor = LDB::LDBTablesClass::Instance().Factor(level_db);
    const double threshold = 8589934592.0 / (factor * 5.9604645e-8 * 131072.0);
    return static_cast<std::int32_t>(
        std::min(threshold, static_cast<double>(std::numeric_limits<std::int32_t>::max())));
}

// Magnitudes in 64 bits (the most negative sample has no 32-bit negation), held to 32 bits.
std::int32_t BandPeak(const Sample* samples, std::size_t count) {
    std::int64_t peak = 0;
    for (std::size_t i = 0; i < count; ++i) {
        peak = std::max(peak, samples[i] < 0 ? -std::int64_t{samples[i]} : samples[i]);
    }
    return static_cast<std::int32_t>(
        std::min<std::int64_t>(peak, std::numeric_limits<std::int32_t>::max()));
}

// The gate's knee: closed below the threshold, then open in proportion over 2048 steps.
std::int32_t GateTarget(std::int32_t level, std::int32_t threshold) {
    const std::int32_t r = WrapSub(SplitMultiply(level, threshold), 512);
    if (r < 0) {
        return 0;
    }
    return r <= 2048 ? r * 8192 : kUnityGain;
}

}  // namespace

std::array<int, LSRCNoiseGates::kBands> NoiseGateLevels(int level_db) {
    const int level = std::clamp(level_db, -127, 127);
    auto clamp = [](int d) { return std::clamp(d, -127, 127); };
    return {clamp(level + 3), level, clamp(level - 3), level};
}

LSRCNoiseGates::LSRCNoiseGates(LSoundSourceRef upstream, const std::array<int, kBands>& levels_db)
    : LookAheadSource(upstream, std::clamp(upstream->GetSampleRate() / 30, 20, 8192),
                      upstream->GetMaxSample()) {
    for (int b = 0; b < kBands; ++b) {
        coefficients_[b] = OnePoleCoefficient(kSplitFrequencies[b], GetSampleRate());
        thresholds_[b] = GateThreshold(std::clamp(levels_db[b], -127, 127));
    }
    if (IsError()) {
        return;
    }
    const auto channels = static_cast<std::size_t>(GetChannels());
    const auto block = static_cast<std::size_t>(BlockFrames()) * channels;
    states_.resize(channels);
    input_.resize(block);
    current_.resize(block * kBands);
    ahead_.resize(block * kBands);
    Restart();
}

void LSRCNoiseGates::ReadBands(Bands& bands) {
    Upstream().Read(input_.data(), BlockFrames());
    const auto channels = static_cast<std::size_t>(GetChannels());
    const std::size_t band_size = static_cast<std::size_t>(BlockFrames()) * channels;
    const auto [a0, a1, a2, a3] = coefficients_;
    for (std::size_t c = 0; c < channels; ++c) {
        auto& [s0, s1, s2, s3] = states_[c];
        for (std::size_t i = c; i < band_size; i += channels) {
            Sample x = WrapSub(input_[i], s0 >> 8);
            s0 = WrapAdd(s0, WrapMul(x, a0));
            s1 = WrapAdd(s1, WrapMul(WrapSub(x, s1 >> 8), a1));
            const Sample band_a = s1 >> 8;
            x = WrapSub(x, band_a);
            s2 = WrapAdd(s2, WrapMul(WrapSub(x, s2 >> 8), a2));
            const Sample band_b = s2 >> 8;
            x = WrapSub(x, band_b);
            s3 = WrapAdd(s3, WrapMul(WrapSub(x, s3 >> 8), a3));
            const Sample band_c = s3 >> 8;
            bands[i] = band_a;
            bands[band_size + i] = band_b;
            bands[2 * band_size + i] = band_c;
            bands[3 * band_size + i] = WrapSub(x, band_c);
        }
    }
}

std::array<std::int32_t, LSRCNoiseGates::kBands> LSRCNoiseGates::Targets(const Bands& bands) const {
    const std::size_t band_size = bands.size() / kBands;
    std::array<std::int32_t, kBands> p{};
    for (std::size_t b = 0; b < kBands; ++b) {
        p[b] = BandPeak(bands.data() + b * band_size, band_size);
    }
    // What each band's neighbours mask of it.
    const std::array<std::int32_t, kBands> levels = {
        p[0] - (p[1] >> 2),
        p[1] - ((p[2] >> 2) + (p[0] >> 4)),
        p[2] - ((p[1] >> 3) + (p[3] >> 4)),
        p[3] - (p[2] >> 3),
    };
    std::array<std::int32_t, kBands> targets{};
    for (std::size_t b = 0; b < kBands; ++b) {
        targets[b] = GateTarget(levels[b], thresholds_[b]);
    }
    return targets;
}

void LSRCNoiseGates::SetSteps(const std::array<std::int32_t, kBands>& targets) {
    const std::int64_t m = BlockFrames();
    for (std::size_t b = 0; b < kBands; ++b) {
        const std::int64_t change = std::int64_t{targets[b]} - gains_[b];
        const std::int64_t frames = change > 0 ? m : (b == 0 ? 4 * m : 2 * m);
        steps_[b] = static_cast<std::int32_t>(change / frames);
    }
}

void LSRCNoiseGates::ReadFirstBlocks() {
    for (auto& state : states_) {
        state.fill(0);
    }
    ReadBands(current_);
    gains_ = Targets(current_);  // the gates start where the first block wants them
    ReadBands(ahead_);
    SetSteps(Targets(ahead_));
}

void LSRCNoiseGates::NextBlock() {
    std::swap(current_, ahead_);
    ReadBands(ahead_);
    SetSteps(Targets(ahead_));
}

void LSRCNoiseGates::Render(std::int32_t at, std::int32_t count, Sample* out) {
    const int channels = GetChannels();
    const std::size_t band_size = static_cast<std::size_t>(BlockFrames()) * channels;
    for (std::int32_t f = 0; f < count; ++f) {
        const std::size_t frame = static_cast<std::size_t>(at + f) * channels;
        for (int c = 0; c < channels; ++c) {
            Sample sum = 0;
            for (std::size_t b = 0; b < kBands; ++b) {
                sum = WrapAdd(sum, SplitMultiply(current_[b * band_size + frame + c], gains_[b]));
            }
            *out++ = sum;
        }
        for (std::size_t b = 0; b < kBands; ++b) {
            gains_[b] = WrapAdd(gains_[b], steps_[b]);
        }
    }
}

EfNoiseReduction::EfNoiseReduction(LCutListAudio& document, FrameRange range,
                                   const NoiseGateParameters& parameters)
    : LProgressDialog("Sonvara"), document_(document), range_(range), parameters_(parameters) {}

ProcessResult EfNoiseReduction::Body() {
    return RunRangeEffect(*this, "Noise Reduction", document_, range_, EffectSource(parameters_));
}

// The level is clamped by the gates, so every value is accepted.
EffectEntry NoiseReductionEffect() {
    return {
        .id = "noise-reduction",
        .names = {"Reducción de Ruido...", "Reducción de Ruido", "Reducción de Ruido"},
        .fields = {DecibelField(kNoiseGateLevel, "Nivel de Ruido (dB)", "nivel (dB)",
                                "Nivel de Ruido (dB)")},
        .apply = TypedEffectWork<EfNoiseReduction, kNoiseGateStored>::Apply,
        .preview = TypedEffectWork<EfNoiseReduction, kNoiseGateStored>::Preview,
        .stream = TypedEffectWork<EfNoiseReduction, kNoiseGateStored>::Stream,
        .dialog = EffectDialog::kFields,
        .dialog_name = "LSVNoiseReductionDlg",
        .menu = {EffectGroup::kDynamics, false, 4010},
        .batch_id = 11,
    };
}

}  // namespace sonvara
