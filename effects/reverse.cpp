#include "effects/reverse.h"

#include <algorithm>
#include <vector>

#include "effects/effect_process.h"
#include "effects/registry/built_in_effects.h"

namespace sonvara {

ProcessResult LReverseSoundProcess(LProgressDialog& process, const LSoundSourceRef& source,
                                   const LSoundSinkRef& sink, FrameRange range) {
    process.SetText("Reversing Sound", 0);
    process.SetText("Please wait...", 1);
    const int channels = source->GetChannels();
    std::vector<Sample> block(static_cast<std::size_t>(channels) * kBlockFrames);
    std::vector<Sample> reversed(block.size());
    std::int64_t position = range.end;
    std::int64_t remaining = range.Length();
    const double total = static_cast<double>(std::max<std::int64_t>(remaining, 1));
    while (remaining > 0) {
        // Unlike the other copies this one may be cancelled too: the frame leaves the document
        // as it was.
        if (process.CheckCancel()) {
            return PROCESS_STOPPED;
        }
        const auto frames =
            static_cast<std::int32_t>(std::min<std::int64_t>(remaining, kBlockFrames));
        position -= frames;
        source->Seek(static_cast<std::int32_t>(position));
        source->Read(block.data(), frames);
        for (std::int32_t f = 0; f < frames; ++f) {
            std::copy_n(block.begin() + static_cast<std::ptrdiff_t>(f) * channels, channels,
                        reversed.begin() + static_cast<std::ptrdiff_t>(frames - 1 - f) * channels);
        }
        if (sink) {
            sink->Write(reversed.data(), frames);
        }
        remaining -= frames;
        process.SetProgress(1.0 - static_cast<double>(remaining) / total);
    }
    return PROCESS_DONE;
}

LEfReverse::LEfReverse(LCutListAudio& document, FrameRange range)
    : LProgressDialog("Sonvara"), document_(document), range_(range) {}

ProcessResult LEfReverse::Body() {
    return RunRangeEffect(
        *this, "Reverse", document_, range_,
        [](const LSoundSourceRef& upstream) { return upstream; }, LReverseSoundProcess);
}

EffectEntry ReverseEffect() {
    return {
        .id = "reverse",
        .names = {"Revertir", "Revertir", ""},
        .fields = {},
        .apply =
            [](const ProcessRunner& run, LCutListAudio& document, FrameRange& range,
               const EffectValues&) { return RunEffectProcess<LEfReverse>(run, document, range); },
        .menu = {EffectGroup::kTimePitch, true, 4018},
    };
}

}  // namespace sonvara
