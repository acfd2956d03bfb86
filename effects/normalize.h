#pragma once
// EfNormalize: finds the peak of the selection and amplifies it so that the peak reaches
// the parameters' `peak_percent` of full scale, by changing cut gains only. The gain is a whole
// percent, (peak_percent * 524272) / peak, and at most 400 %; a selection of silence, or an empty
// one, is left alone.

#include <cstdint>

#include "core/progress_dialog.h"
#include "document/cut_list_audio.h"
#include "document/frame_range.h"
#include "effects/effect_parameters.h"

namespace sonvara {

class EfNormalize : public LProgressDialog {
  public:
    static constexpr std::int32_t kMaxPercent = 400;

    EfNormalize(LCutListAudio& document, FrameRange range, const NormalizeParameters& parameters);

    // The gain percent the last run applied (100 when it changed nothing).
    std::int32_t AppliedPercent() const { return applied_percent_; }

  protected:
    ProcessResult Body() override;

  private:
    LCutListAudio& document_;
    FrameRange range_;
    NormalizeParameters parameters_;
    std::int32_t applied_percent_ = 100;
};

}  // namespace sonvara
