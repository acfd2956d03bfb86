#pragma once
// EfNormalizeLoudness: measures the selection's loudness and applies the one gain that brings it
// to the parameters' target (in LUFS), unless that gain would take the true peak above the
// ceiling (in dBTP): then the gain is lowered to meet the ceiling, and the user is told. No
// limiter is added. A selection that is silent (below the measurement's gates) is left alone.

#include <string>

#include "core/progress_dialog.h"
#include "document/cut_list_audio.h"
#include "document/frame_range.h"
#include "effects/effect_parameters.h"
#include "effects/loudness_meter.h"

namespace sonvara {

struct LoudnessGain {
    double decibels = 0;
    bool ceiling_bound = false;  // lowered to keep the true peak at the ceiling

    double Factor() const;  // the gain as a factor of the samples
};

// The gain that takes `measured` to the target, or to the ceiling; none for silence.
LoudnessGain GainForLoudness(const LoudnessReport& measured,
                             const LoudnessNormalizeParameters& parameters);

// What the user is told when the ceiling bound the gain.
std::string CeilingBoundMessage(const LoudnessReport& measured, const LoudnessGain& gain,
                                const LoudnessNormalizeParameters& parameters);

// The measuring half of a loudness normalize: measures frames `range` of `source` (from its
// position 0; range end -1: to the source's end) and finds the gain for `parameters`, telling the
// user when the ceiling bound it. Over a document's selection or over a batch run's stream.
class LPRLoudnessGain : public LProgressDialog {
  public:
    LPRLoudnessGain(LSoundSourceRef source, FrameRange range,
                    const LoudnessNormalizeParameters& parameters);

    const LoudnessGain& Gain() const { return gain_; }

  protected:
    ProcessResult Body() override;

  private:
    LSoundSourceRef source_;
    FrameRange range_;
    LoudnessNormalizeParameters parameters_;
    LoudnessGain gain_;
};

class EfNormalizeLoudness : public LProgressDialog {
  public:
    EfNormalizeLoudness(LCutListAudio& document, FrameRange range,
                        const LoudnessNormalizeParameters& parameters);

    const LoudnessGain& Applied() const { return applied_; }

  protected:
    ProcessResult Body() override;

  private:
    LCutListAudio& document_;
    FrameRange range_;
    LoudnessNormalizeParameters parameters_;
    LoudnessGain applied_;
};

}  // namespace sonvara
