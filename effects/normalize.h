#pragma once
// EfNormalize: finds the peak of the selection and amplifies it so that the peak reaches
// `peak_percent` of full scale, by changing cut gains only. The gain is a whole percent,
// (peak_percent * 524272) / peak, and at most 400 %; a selection of silence, or an empty one, is
// left alone.

#include <cstdint>

#include "core/progress_dialog.h"
#include "document/cut_list_audio.h"

namespace sonvara {

class EfNormalize : public LProgressDialog {
  public:
    static constexpr std::int32_t kMaxPercent = 400;

    EfNormalize(LCutListAudio& document, std::int32_t s_end, std::int32_t s_start,
                std::int32_t peak_percent);

    // The gain percent the last run applied (100 when it changed nothing).
    std::int32_t AppliedPercent() const { return applied_percent_; }

  protected:
    ProcessResult Body() override;

  private:
    LCutListAudio& document_;
    std::int32_t s_end_;
    std::int32_t s_start_;
    std::int32_t peak_percent_;
    std::int32_t applied_percent_ = 100;
};

}  // namespace sonvara
