#pragma once
// The low-cut filter: a one-pole high-pass. Each channel keeps a running low-frequency estimate
// (in 1/256 units) that is taken away from the input: out = x − (state >> 8), then
// state += out × a, with a = trunc((1 − e^(−2π f ÷ rate)) × 256). The products and sums wrap at
// 32 bits. The state starts at 0 at the selection's start and after a seek.

#include <cstdint>
#include <vector>

#include "core/progress_dialog.h"
#include "document/cut_list_audio.h"
#include "document/frame_range.h"
#include "effects/effect_parameters.h"
#include "effects/in_place_filter.h"

namespace sonvara {

// trunc((1 − e^(−2π frequency ÷ rate)) × 256): the one-pole coefficient in 1/256 units.
std::int32_t OnePoleCoefficient(double frequency, std::int32_t rate);

class LSRCHighPass : public LInPlaceFilter {
  public:
    LSRCHighPass(LSoundSourceRef upstream, std::int32_t cut_frequency);

    std::int32_t Coefficient() const { return a_; }

  private:
    void Filter(Sample* samples, std::size_t count) override;
    void Clear() override;

    std::int32_t a_;
    std::vector<std::int32_t> state_;  // one per channel
};

// The range effect "Low Cut Filter". The filter is built for twice the frequency of the
// parameters (the stored LowCutFreq), as stored settings and scripts have always been read.
class EfLowCutFilter : public LProgressDialog {
  public:
    EfLowCutFilter(LCutListAudio& document, FrameRange range, const LowCutParameters& parameters);

  protected:
    ProcessResult Body() override;

  private:
    LCutListAudio& document_;
    FrameRange range_;
    LowCutParameters parameters_;
};

}  // namespace sonvara
