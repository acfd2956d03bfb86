#pragma once
// Automatic gain control: evens out the loudness of a recording (speech above all) in two
// passes. The first pass copies the audio into a temporary file and measures every 20 ms block of
// each channel through a loudness weighting (a one-pole high-pass that leaves out rumble and the
// low vowel energy, then a shelf that lifts the presence range), counting the block levels in a
// histogram per channel and writing them to a second temporary file. From the histograms comes
// each channel's reference: the median level of its active blocks, those within 30 dB of its
// loudest few percent, so pauses do not drag it down. The second pass reads the audio back and
// gives every block the gain that moves its level towards the reference by the slope (−0.5 halves
// every deviation), at most ±12 dB; the gain drops at once ahead of a loud block (it looks two
// blocks ahead), rises slowly after one (a tenth of the way per block, about 200 ms), holds through
// pauses so that noise is not pulled up, and ramps frame by frame within a block. Both channels of
// a stereo recording get the same gain, from the channel furthest above its reference, so the
// stereo image stays. The temporary files have unique names and go on every way out.

#include <cstdint>

#include "audio/sound_sink.h"
#include "audio/sound_source.h"
#include "core/progress_dialog.h"
#include "document/cut_list_audio.h"
#include "document/frame_range.h"

namespace sonvara {

struct AutoGainConstants {
    double high_pass_hz;  // the weighting's high-pass
    double shelf_hz;      // where the weighting's shelf starts
    double slope;         // the gain per decibel of deviation from the reference
};

// The constants of the editor's command.
inline constexpr AutoGainConstants kAutoGainCommand{450, 2200, -0.5};

// The two passes from `source` into `sink`, as a step of `process`. PROCESS_FAILED for a source
// or sink in error, a rate below 1, or temporary files that cannot be made or written.
ProcessResult RunAutoGain(LProgressDialog& process, LSoundSourceRef source,
                          const LSoundSinkRef& sink, const AutoGainConstants& constants);

class LDPAutoGain : public LProgressDialog {
  public:
    LDPAutoGain(LSoundSourceRef source, LSoundSinkRef sink, const AutoGainConstants& constants);

  protected:
    ProcessResult Body() override;

  private:
    LSoundSourceRef source_;
    LSoundSinkRef sink_;
    AutoGainConstants constants_;
};

// The command on a selection: the selection is replaced only when both passes are done.
class EfAutoGainControl : public LProgressDialog {
  public:
    EfAutoGainControl(LCutListAudio& document, FrameRange range);

  protected:
    ProcessResult Body() override;

  private:
    LCutListAudio& document_;
    FrameRange range_;
};

}  // namespace sonvara
