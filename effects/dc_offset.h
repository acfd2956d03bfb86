#pragma once
// DC offset correction: the mean of each channel over the selection is taken away from every
// sample of that channel.

#include <cstdint>

#include "audio/sound_sink.h"
#include "audio/sound_source.h"
#include "core/progress_dialog.h"
#include "document/cut_list_audio.h"
#include "document/frame_range.h"

namespace sonvara {

// Two passes over `source` from its position to its end: the per-channel sums (in double
// precision, each block's sum formed first), then the samples less their channel's mean
// (truncated toward zero) into `sink`. PROCESS_FAILED for a source or sink in error or of another
// rate or channel count; an empty source divides by 1.
ProcessResult LDCOffsetCorrection(LProgressDialog& process, const LSoundSourceRef& source,
                                  const LSoundSinkRef& sink);

// The command's flow: the selection is copied out, corrected, and put back only on success.
class EfDCOffsetCorrection : public LProgressDialog {
  public:
    EfDCOffsetCorrection(LCutListAudio& document, FrameRange range);

  protected:
    ProcessResult Body() override;

  private:
    LCutListAudio& document_;
    FrameRange range_;
};

}  // namespace sonvara
