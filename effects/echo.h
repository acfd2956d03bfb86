#pragma once
// Echo and reverb: feedback delay lines on the interleaved samples. Delays are counted in
// interleaved samples, so a delay always holds whole frames of the channels in turn; the delay
// line starts empty at the selection's start and after every seek, and nothing is added after the
// selection's end. Nothing is clipped here: the peak limiter brings loud results down on play and
// save.

#include <cstdint>
#include <vector>

#include "core/progress_dialog.h"
#include "document/cut_list_audio.h"
#include "document/frame_range.h"
#include "effects/effect_parameters.h"
#include "effects/in_place_filter.h"

namespace sonvara {

// The delay line length for `milliseconds` at the upstream's rate and channel count, in
// interleaved samples, never below 128.
std::uint32_t DelaySamples(std::int32_t milliseconds, std::int32_t rate, int channels);

// y = x + ((d × gain) >> 8) with d the output of one delay earlier; gain = percent × 256 ÷ 100.
class LSRCEcho : public LInPlaceFilter {
  public:
    LSRCEcho(LSoundSourceRef upstream, const EchoParameters& parameters);

    std::uint32_t DelayLength() const { return static_cast<std::uint32_t>(delay_.size()); }

  private:
    void Filter(Sample* samples, std::size_t count) override;
    void Clear() override;

    std::vector<Sample> delay_;
    std::size_t write_ = 0;
    std::int32_t gain_;  // 1/256 units
};

// Four taps inside the delay line and a feedback at its end, all in 1/512 units of the level:
// taps at 0.7413, 0.5581, 0.3823 and 0.211 of the delay with gains 0.4, 0.1, 0.3 and 0.07,
// feedback 0.13. Tap positions index interleaved samples and are not rounded to whole frames.
class LSRCReverb : public LInPlaceFilter {
  public:
    LSRCReverb(LSoundSourceRef upstream, const ReverbParameters& parameters);

    std::uint32_t DelayLength() const { return static_cast<std::uint32_t>(delay_.size()); }
    std::int32_t FeedbackGain() const { return gains_[4]; }

  private:
    void Filter(Sample* samples, std::size_t count) override;
    void Clear() override;

    std::vector<Sample> delay_;
    std::size_t taps_[4] = {};
    std::size_t write_ = 0;
    std::int32_t gains_[5] = {};  // the four taps, then the feedback
};

// The range-effect processes ("Echo", "Reverb"). Parameters outside what the checks in
// effect_parameters.h accept are refused with PROCESS_FAILED before any audio moves.
class EfEcho : public LProgressDialog {
  public:
    EfEcho(LCutListAudio& document, FrameRange range, const EchoParameters& parameters);

  protected:
    ProcessResult Body() override;

  private:
    LCutListAudio& document_;
    FrameRange range_;
    EchoParameters parameters_;
};

class EfReverb : public LProgressDialog {
  public:
    EfReverb(LCutListAudio& document, FrameRange range, const ReverbParameters& parameters);

  protected:
    ProcessResult Body() override;

  private:
    LCutListAudio& document_;
    FrameRange range_;
    ReverbParameters parameters_;
};

}  // namespace sonvara
