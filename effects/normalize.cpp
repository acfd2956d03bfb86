#include "effects/normalize.h"

#include <algorithm>
#include <vector>

#include "document/cut_list_reader.h"
#include "effects/effect_sources.h"
#include "effects/registry/built_in_effects.h"

namespace sonvara {

EfNormalize::EfNormalize(LCutListAudio& document, FrameRange range,
                         const NormalizeParameters& parameters)
    : LProgressDialog("Sonvara"), document_(document), range_(range), parameters_(parameters) {}

ProcessResult EfNormalize::Body() {
    applied_percent_ = 100;
    if (range_.Length() <= 0) {
        return PROCESS_DONE;
    }
    SetText("Normalizing", 0);
    SetText("Espere por favor...", 1);
    LSRCCutListAudio source(document_);
    if (range_.start > 0) {
        source.Seek(range_.start);
    }
    const std::int64_t length = range_.Length();
    std::vector<Sample> block(static_cast<std::size_t>(source.GetChannels()) * kBlockFrames);
    // Magnitudes in 64 bits: the most negative sample has no 32-bit negation.
    std::int64_t peak = 0;
    for (std::int64_t done = 0; done < length;) {
        if (CheckCancel()) {
            return PROCESS_STOPPED;
        }
        const auto frames =
            static_cast<std::int32_t>(std::min<std::int64_t>(length - done, kBlockFrames));
        source.Read(block.data(), frames);
        const auto samples =
            static_cast<std::size_t>(frames) * static_cast<std::size_t>(source.GetChannels());
        const auto [low, high] = std::minmax_element(
            block.begin(), block.begin() + static_cast<std::ptrdiff_t>(samples));
        peak = std::max({peak, std::int64_t{*high}, -std::int64_t{*low}});
        done += frames;
        SetProgress(static_cast<double>(done) / static_cast<double>(length));
    }
    if (peak > 0) {
        applied_percent_ = NormalizePercent(parameters_, peak);
        document_.EfAmplify(range_.start, range_.end, applied_percent_);
    }
    return PROCESS_DONE;
}

// Normalize needs the selection's peak before its first frame: it has no stream stage.
EffectEntry NormalizeEffect() {
    return {
        .id = "normalize",
        .names = {"Normalizador...", "Normalizador", "Normalizador"},
        .fields = {PercentField(kNormalizePeakLevel, ValueWidth::kInt16, "Nivel más alto (%)",
                                "nivel (%)", "Normalizar al más alto nivel (%)")},
        .check = [](const EffectValues& v) { return Check(FromValues(kNormalizeStored, v)); },
        .apply =
            [](const ProcessRunner& run, LCutListAudio& document, FrameRange& range,
               const EffectValues& v) {
                return RunEffectProcess<EfNormalize>(run, document, range,
                                                     FromValues(kNormalizeStored, v));
            },
        .preview =
            [](const EffectValues& v, const EffectPlace& place) {
                return NormalizeSource(FromValues(kNormalizeStored, v), place.Peak());
            },
        .dialog = EffectDialog::kFields,
        .dialog_name = "LSVNormalizeDlg",
        .menu = {EffectGroup::kVolume, false, 4002},
        .batch_id = 4,
    };
}

}  // namespace sonvara
