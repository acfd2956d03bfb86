#include "effects/dc_offset.h"

#include <algorithm>
#include <vector>

#include "audio/split_multiply.h"
#include "effects/effect_process.h"
#include "effects/registry/built_in_effects.h"

namespace sonvara {

ProcessResult LDCOffsetCorrection(LProgressDialog& process, const LSoundSourceRef& source,
                                  const LSoundSinkRef& sink) {
    if (source->IsError() || !sink || sink->IsError() ||
        source->GetChannels() != sink->GetChannels() ||
        source->GetSampleRate() != sink->GetSampleRate()) {
        return PROCESS_FAILED;
    }
    process.SetText("DC Offset Correction", 0);
    process.SetText("Please wait...", 1);
    const auto channels = static_cast<std::size_t>(source->GetChannels());
    const double length = std::max(static_cast<double>(source->GetLength()), 1.0);
    std::vector<Sample> block(channels * kBlockFrames);
    std::vector<double> sums(channels, 0.0);
    while (source->GetPosition() < source->GetLength()) {
        if (process.CheckCancel()) {
            return PROCESS_STOPPED;
        }
        const std::int32_t frames =
            std::min(kBlockFrames, source->GetLength() - source->GetPosition());
        source->Read(block.data(), frames);
        for (std::size_t c = 0; c < channels; ++c) {
            double block_sum = 0;
            for (std::int32_t f = 0; f < frames; ++f) {
                block_sum += block[static_cast<std::size_t>(f) * channels + c];
            }
            sums[c] += block_sum;
        }
        process.SetProgress(source->GetPosition() / length);
    }
    std::vector<Sample> means(channels);
    for (std::size_t c = 0; c < channels; ++c) {
        means[c] = static_cast<Sample>(sums[c] / length);  // truncated toward zero
    }
    source->Seek(0);
    while (source->GetPosition() < source->GetLength()) {
        if (process.CheckCancel()) {
            return PROCESS_STOPPED;
        }
        const std::int32_t frames =
            std::min(kBlockFrames, source->GetLength() - source->GetPosition());
        source->Read(block.data(), frames);
        for (std::int32_t f = 0; f < frames; ++f) {
            for (std::size_t c = 0; c < channels; ++c) {
                Sample& s = block[static_cast<std::size_t>(f) * channels + c];
                s = WrapSub(s, means[c]);
            }
        }
        sink->Write(block.data(), frames);
        process.SetProgress(source->GetPosition() / length);
    }
    return PROCESS_DONE;
}

EfDCOffsetCorrection::EfDCOffsetCorrection(LCutListAudio& document, FrameRange range)
    : LProgressDialog("Sonvara"), document_(document), range_(range) {}

ProcessResult EfDCOffsetCorrection::Body() {
    return RunOnSelectionCopy(*this, document_, range_,
                              [&](const LSoundSourceRef& source, const LSoundSinkRef& sink) {
                                  return LDCOffsetCorrection(*this, source, sink);
                              });
}

EffectEntry DCOffsetEffect() {
    return {
        .id = "dc-offset",
        .names = {"Corrección DC Offset", "Corrección DC Offset", ""},
        .fields = {},
        .apply =
            [](const ProcessRunner& run, LCutListAudio& document, FrameRange& range,
               const EffectValues&) {
                return RunEffectProcess<EfDCOffsetCorrection>(run, document, range);
            },
        .menu = {EffectGroup::kVolume, true, 4017},
    };
}

}  // namespace sonvara
