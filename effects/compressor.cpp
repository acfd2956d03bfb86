#include "effects/compressor.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "audio/sound_time.h"
#include "audio/split_multiply.h"
#include "effects/effect_process.h"
#include "effects/effect_sources.h"
#include "effects/registry/built_in_effects.h"

namespace sonvara {
namespace {

// The bound the compressor declares: its make-up gain can lift quiet audio well above its input.
constexpr Sample kCompressorMaxSample = 4194303;
constexpr int kUpperKnee = 127;

std::int32_t SaturatedGain(double gain) {
    return static_cast<std::int32_t>(
        std::min(gain, static_cast<double>(std::numeric_limits<std::int32_t>::max())));
}

std::int32_t ClampToInt32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

std::optional<double> CompressorRatioFactor(int index) {
    if (index < 0 || index >= static_cast<int>(CompressorRatioList.size())) {
        return std::nullopt;
    }
    return CompressorRatioList[static_cast<std::size_t>(index)].factor;
}

CompressorGainTable MakeCompressorGainTable(int threshold_db, double ratio) {
    CompressorGainTable table{};
    double gain = 16777216.0;
    if (threshold_db < 0) {
        gain /= std::pow(ratio, -threshold_db);  // unity again at 0 dB input
    }
    int index = 0;
    for (; index <= threshold_db + 127; ++index) {
        table[static_cast<std::size_t>(index)] = SaturatedGain(gain);
    }
    for (; index <= kUpperKnee + 127; ++index) {
        table[static_cast<std::size_t>(index)] = SaturatedGain(gain);
        gain *= ratio;
    }
    for (; index < 256; ++index) {
        table[static_cast<std::size_t>(index)] = SaturatedGain(gain);
        gain *= 0.8913;
    }
    return table;
}

int CompressorBlockLevel(const Sample* samples, std::size_t count, std::size_t stride) {
    // Squares of up to 2^52 summed over at most 2^14 samples stay well inside 64 bits.
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::int64_t q = samples[i * stride] >> 5;
        sum += static_cast<std::uint64_t>(q * q);
    }
    const std::uint64_t mean = count > 0 ? sum / count : 0;
    if (mean == 0) {
        return -127;
    }
    const double decibels = 10.0 * std::log10(static_cast<double>(mean) * 1.1920903375594525e-07);
    const double rounded = mean < 8388626 ? std::trunc(decibels - 0.5) : std::trunc(decibels + 0.5);
    return static_cast<int>(std::clamp(rounded, -127.0, 127.0));
}

LSRCCompressor::LSRCCompressor(LSoundSourceRef upstream, int threshold_db, double ratio,
                               std::int32_t block_ms)
    : LookAheadSource(
          upstream,
          std::clamp(FramesFromMilliseconds(block_ms, upstream->GetSampleRate()), 128, 8192),
          kCompressorMaxSample),
      table_(MakeCompressorGainTable(std::clamp(threshold_db, -127, 127), ratio)) {
    if (IsError()) {
        return;
    }
    const std::size_t samples =
        static_cast<std::size_t>(BlockFrames()) * static_cast<std::size_t>(GetChannels());
    current_.resize(samples);
    ahead_.resize(samples);
    Restart();
}

std::int32_t LSRCCompressor::ReadBlockGain(std::vector<Sample>& block) {
    // Only the frames before the upstream's end are measured, and a block wholly past it keeps
    // the last block's gain: the silence there would lift the gain over the last blocks.
    LSoundSourceBase& upstream = Upstream();
    const std::int64_t left = std::int64_t{upstream.GetLength()} - upstream.GetPosition();
    upstream.Read(block.data(), BlockFrames());
    if (left > 0) {
        const auto samples = static_cast<std::size_t>(std::min<std::int64_t>(left, BlockFrames())) *
                             static_cast<std::size_t>(GetChannels());
        block_gain_ =
            table_[static_cast<std::size_t>(CompressorBlockLevel(block.data(), samples) + 128)];
    }
    return block_gain_;
}

void LSRCCompressor::SetStep(std::int32_t next_gain) {
    next_target_ = next_gain;
    const std::int64_t n = BlockFrames();
    if (next_gain < gain_) {
        step_ = ClampToInt32((std::int64_t{next_gain} - gain_) / (n + n / 4));
    } else {
        step_ = ClampToInt32(((std::int64_t{next_gain} + previous_target_) / 2 - gain_) / (2 * n));
    }
}

void LSRCCompressor::ReadFirstBlocks() {
    block_gain_ = table_[static_cast<std::size_t>(-127 + 128)];  // a start past the end: silence
    const std::int32_t first = ReadBlockGain(current_);
    gain_ = previous_target_ = first;
    SetStep(ReadBlockGain(ahead_));
}

void LSRCCompressor::NextBlock() {
    std::swap(current_, ahead_);
    previous_target_ = next_target_;
    SetStep(ReadBlockGain(ahead_));
}

void LSRCCompressor::Render(std::int32_t at, std::int32_t count, Sample* out) {
    const int channels = GetChannels();
    const Sample* in = current_.data() + static_cast<std::size_t>(at) * channels;
    for (std::int32_t f = 0; f < count; ++f) {
        for (int c = 0; c < channels; ++c) {
            *out++ = SplitMultiply(*in++, gain_);
        }
        gain_ = WrapAdd(gain_, step_);
    }
}

EfCompressor::EfCompressor(LCutListAudio& document, FrameRange range,
                           const CompressorParameters& parameters)
    : LProgressDialog("Sonvara"), document_(document), range_(range), parameters_(parameters) {}

ProcessResult EfCompressor::Body() {
    if (!CompressorRatioFactor(parameters_.ratio_index)) {
        return PROCESS_FAILED;
    }
    return RunRangeEffect(*this, "Dynamic Range Compressor", document_, range_,
                          EffectSource(parameters_));
}

// The ratio is chosen from CompressorRatioList; a ratio outside it gives a stream stage in error.
EffectEntry CompressorEffect() {
    EffectField ratio{.setting = FieldSetting::Of(kCompressorRatio),
                      .width = ValueWidth::kUInt8,
                      .label = "Ratio",
                      .batch_label = "ratio (0 a 6)",
                      .listed = "Ratio"};
    for (const CompressorRatioItem& item : CompressorRatioList) {
        ratio.choices.emplace_back(item.text);
    }
    return {
        .id = "compressor",
        .names = {"Compresor de Rango Dinámico...", "Compresor de Rango Dinámico",
                  "Compresor de Rango Dinámico"},
        .fields = {DecibelField(kCompressorThreshold, "Umbral (dB)", "umbral (dB)", "Umbral (db)"),
                   std::move(ratio),
                   DecibelField(kCompressorLimit, "Límite (dB)", "límite (dB)", "Límite (db)")},
        .check = [](const EffectValues& v) { return Check(FromValues(kCompressorStored, v)); },
        .apply =
            [](const ProcessRunner& run, LCutListAudio& document, FrameRange& range,
               const EffectValues& v) {
                return RunEffectProcess<EfCompressor>(run, document, range,
                                                      FromValues(kCompressorStored, v));
            },
        .preview =
            [](const EffectValues& v, const EffectPlace&) {
                return EffectSource(FromValues(kCompressorStored, v));
            },
        .stream = [](const EffectValues& v, StreamInput&) -> std::optional<StreamStage> {
            return StreamStage{EffectSource(FromValues(kCompressorStored, v))};
        },
        .dialog = EffectDialog::kFields,
        .dialog_name = "LSVCompressorDlg",
        .menu = {EffectGroup::kDynamics, false, 4012},
        .batch_id = 15,
    };
}

}  // namespace sonvara
