#include "effects/auto_gain.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "audio/filter_makers.h"
#include "audio/split_multiply.h"
#include "core/folders.h"
#include "core/temporary_file.h"
#include "effects/compressor.h"
#include "effects/effect_process.h"
#include "effects/high_pass.h"
#include "effects/registry/built_in_effects.h"

namespace sonvara {
namespace {

constexpr int kLevels = 255;      // −127..127 dB
constexpr int kActiveRange = 30;  // dB below the loudest few percent that still count
constexpr double kLoudestShare = 0.05;
constexpr double kMaxGainDb = 12.0;
constexpr double kRelease = 0.1;       // of the way per block when the gain rises
constexpr std::size_t kLookAhead = 2;  // blocks

using Histogram = std::array<std::int64_t, kLevels>;

struct ChannelReference {
    int gate = 127;  // blocks at or below this level are pauses
    int level = -127;
};

// The median of the blocks within kActiveRange of the loudest kLoudestShare.
ChannelReference Reference(const Histogram& histogram) {
    std::int64_t sounding = 0;
    for (int i = 1; i < kLevels; ++i) {
        sounding += histogram[static_cast<std::size_t>(i)];
    }
    ChannelReference reference;
    if (sounding == 0) {
        return reference;
    }
    int top = 127;
    for (std::int64_t seen = 0; top > -127; --top) {
        seen += histogram[static_cast<std::size_t>(top + 127)];
        if (static_cast<double>(seen) >= kLoudestShare * static_cast<double>(sounding)) {
            break;
        }
    }
    reference.gate = std::max(top - kActiveRange, -127);
    std::int64_t active = 0;
    for (int level = reference.gate + 1; level <= 127; ++level) {
        active += histogram[static_cast<std::size_t>(level + 127)];
    }
    std::int64_t seen = 0;
    for (int level = reference.gate + 1; level <= 127; ++level) {
        seen += histogram[static_cast<std::size_t>(level + 127)];
        if (2 * seen >= active) {
            reference.level = level;
            break;
        }
    }
    return reference;
}

// Per block, the gain in dB the levels call for before smoothing; NaN for a pause.
std::vector<double> BlockTargets(const std::vector<std::int8_t>& levels, std::size_t channels,
                                 const std::vector<ChannelReference>& references, double slope) {
    std::vector<double> targets(levels.size() / channels, std::nan(""));
    for (std::size_t b = 0; b < targets.size(); ++b) {
        bool active = false;
        double deviation = -1e9;
        for (std::size_t c = 0; c < channels; ++c) {
            const int level = levels[b * channels + c];
            if (level > references[c].gate) {
                active = true;
                deviation = std::max(deviation, static_cast<double>(level - references[c].level));
            }
        }
        if (active) {
            targets[b] = std::clamp(slope * deviation, -kMaxGainDb, kMaxGainDb);
        }
    }
    return targets;
}

std::int32_t GainFactor(double decibels) {
    return static_cast<std::int32_t>(std::lround(kUnityGain * std::pow(10.0, decibels / 20.0)));
}

bool ReadExactly(LFile& file, void* into, std::size_t bytes) {
    return file.Read(into, bytes) == bytes;
}

}  // namespace

ProcessResult RunAutoGain(LProgressDialog& process, LSoundSourceRef source,
                          const LSoundSinkRef& sink, const AutoGainConstants& constants) {
    if (source->IsError() || !sink || sink->IsError() || source->GetSampleRate() < 1) {
        return PROCESS_FAILED;
    }
    process.SetText("Control Automático de Ganancia", 0);
    process.SetText("Espere por favor...", 1);
    if (sink->GetChannels() < source->GetChannels()) {
        source = LChannelsFilterMaker(sink->GetChannels()).Make(source);
    }
    if (source->GetSampleRate() > sink->GetSampleRate()) {
        source = LRateFilterMaker(sink->GetSampleRate()).Make(source);
    }
    const std::size_t channels = static_cast<std::size_t>(source->GetChannels());
    const std::int32_t block_frames = std::clamp(source->GetSampleRate() / 50, 20, 8192);
    const std::string folder = TemporaryFolder();
    TemporaryFile audio(folder + "/lca");
    TemporaryFile levels_file(folder + "/lcp");
    if (!audio.IsValid() || !levels_file.IsValid()) {
        return PROCESS_FAILED;
    }

    // First pass: the audio as read into "lca", the weighted block levels into "lcp".
    const std::int32_t c1 = OnePoleCoefficient(constants.high_pass_hz, source->GetSampleRate());
    const std::int32_t c2 = OnePoleCoefficient(constants.shelf_hz, source->GetSampleRate());
    std::vector<std::array<std::int32_t, 2>> states(channels, {0, 0});
    std::vector<Histogram> histograms(channels, Histogram{});
    std::vector<Sample> block(channels * static_cast<std::size_t>(block_frames));
    std::vector<std::int8_t> block_levels(channels);
    const double total = std::max(source->GetLength() - source->GetPosition(), 1) * 2.0;
    std::int64_t frames_total = 0;
    while (source->GetPosition() < source->GetLength()) {
        if (process.CheckCancel()) {
            return PROCESS_STOPPED;
        }
        const std::int32_t frames =
            std::min(block_frames, source->GetLength() - source->GetPosition());
        const std::size_t samples = static_cast<std::size_t>(frames) * channels;
        source->Read(block.data(), frames);
        if (audio.File().Write(block.data(), samples * sizeof(Sample)) !=
            samples * sizeof(Sample)) {
            return PROCESS_FAILED;
        }
        for (std::size_t c = 0; c < channels; ++c) {
            auto& [s1, s2] = states[c];
            for (std::size_t i = c; i < samples; i += channels) {
                Sample x = WrapSub(block[i], s1 >> 8);
                s1 = WrapAdd(s1, WrapMul(x, c1));
                const Sample d = WrapSub(x, s2 >> 8);
                x = WrapAdd(x, d);
                s2 = WrapAdd(s2, WrapMul(d, c2));
                block[i] = x;
            }
            // Measured as the compressor measures its blocks.
            const int level =
                CompressorBlockLevel(block.data() + c, static_cast<std::size_t>(frames), channels);
            ++histograms[c][static_cast<std::size_t>(level + 127)];
            block_levels[c] = static_cast<std::int8_t>(level);
        }
        if (levels_file.File().Write(block_levels.data(), channels) != channels) {
            return PROCESS_FAILED;
        }
        frames_total += frames;
        process.SetProgress(static_cast<double>(frames_total) / total);
    }

    // Second pass: the gains, smoothed, applied to the audio read back.
    std::vector<ChannelReference> references;
    for (const Histogram& histogram : histograms) {
        references.push_back(Reference(histogram));
    }
    const std::size_t blocks =
        static_cast<std::size_t>((frames_total + block_frames - 1) / block_frames);
    std::vector<std::int8_t> levels(blocks * channels);
    if (!levels_file.File().Seek(0) ||
        !ReadExactly(levels_file.File(), levels.data(), levels.size()) || !audio.File().Seek(0)) {
        return PROCESS_FAILED;
    }
    const std::vector<double> targets = BlockTargets(levels, channels, references, constants.slope);
    double gain_db = 0;
    std::int32_t gain = kUnityGain;
    std::int64_t done = 0;
    for (std::size_t b = 0; b < blocks; ++b) {
        if (process.CheckCancel()) {
            return PROCESS_STOPPED;
        }
        double wanted = std::nan("");
        for (std::size_t a = b; a < std::min(blocks, b + 1 + kLookAhead); ++a) {
            if (!std::isnan(targets[a])) {
                wanted = std::isnan(wanted) ? targets[a] : std::min(wanted, targets[a]);
            }
        }
        if (!std::isnan(wanted)) {
            gain_db = wanted < gain_db ? wanted : gain_db + (wanted - gain_db) * kRelease;
        }
        const auto frames =
            static_cast<std::int32_t>(std::min<std::int64_t>(block_frames, frames_total - done));
        const std::size_t samples = static_cast<std::size_t>(frames) * channels;
        if (!ReadExactly(audio.File(), block.data(), samples * sizeof(Sample))) {
            return PROCESS_FAILED;
        }
        const std::int32_t next = GainFactor(gain_db);
        const std::int32_t step = (next - gain) / frames;
        for (std::size_t f = 0; f < static_cast<std::size_t>(frames); ++f) {
            for (std::size_t c = 0; c < channels; ++c) {
                block[f * channels + c] = SplitMultiply(block[f * channels + c], gain);
            }
            gain += step;
        }
        gain = next;
        sink->Write(block.data(), frames);
        done += frames;
        process.SetProgress(0.5 + static_cast<double>(done) / total);
    }
    return sink->IsError() ? PROCESS_FAILED : PROCESS_DONE;
}

LDPAutoGain::LDPAutoGain(LSoundSourceRef source, LSoundSinkRef sink,
                         const AutoGainConstants& constants)
    : LProgressDialog("Control Automático de Ganancia"),
      source_(std::move(source)),
      sink_(std::move(sink)),
      constants_(constants) {}

ProcessResult LDPAutoGain::Body() {
    return RunAutoGain(*this, source_, sink_, constants_);
}

EfAutoGainControl::EfAutoGainControl(LCutListAudio& document, FrameRange range)
    : LProgressDialog("Control Automático de Ganancia"), document_(document), range_(range) {}

ProcessResult EfAutoGainControl::Body() {
    return RunOnSelectionCopy(*this, document_, range_,
                              [&](const LSoundSourceRef& source, const LSoundSinkRef& sink) {
                                  return RunAutoGain(*this, source, sink, kAutoGainCommand);
                              });
}

EffectEntry AutoGainEffect() {
    return {
        .id = "auto-gain",
        .names = {"Control Automático de Ganancia", "Control Automático de Ganancia",
                  "Control Automático de Ganancia"},
        .fields = {},
        .apply =
            [](const ProcessRunner& run, LCutListAudio& document, FrameRange& range,
               const EffectValues&) {
                return RunEffectProcess<EfAutoGainControl>(run, document, range);
            },
        .menu = {EffectGroup::kDynamics, false, 4009},
        .batch_id = 10,
    };
}

}  // namespace sonvara
