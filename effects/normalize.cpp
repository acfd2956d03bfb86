#include "effects/normalize.h"

#include <algorithm>
#include <vector>

#include "document/cut_list_reader.h"

namespace sonvara {

EfNormalize::EfNormalize(LCutListAudio& document, std::int32_t s_end, std::int32_t s_start,
                         std::int32_t peak_percent)
    : LProgressDialog("Sonvara"),
      document_(document),
      s_end_(s_end),
      s_start_(s_start),
      peak_percent_(peak_percent) {}

ProcessResult EfNormalize::Body() {
    applied_percent_ = 100;
    if (s_end_ <= s_start_) {
        return PROCESS_DONE;
    }
    SetText("Normalizing", 0);
    SetText("Espere por favor...", 1);
    LSRCCutListAudio source(document_);
    if (s_start_ > 0) {
        source.Seek(s_start_);
    }
    const std::int64_t length = std::int64_t{s_end_} - s_start_;
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
        applied_percent_ = static_cast<std::int32_t>(
            std::min<std::int64_t>(std::int64_t{peak_percent_} * FULL_SCALE / peak, kMaxPercent));
        document_.EfAmplify(s_start_, s_end_, applied_percent_);
    }
    return PROCESS_DONE;
}

}  // namespace sonvara
