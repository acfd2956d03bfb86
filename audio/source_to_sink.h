#pragma once

#include <string>

#include "audio/sound_sink.h"
#include "audio/sound_source.h"
#include "core/progress_dialog.h"

namespace sonvara {

// Copies a whole source into a sink, block by block, as part of `process` (its progress bar and
// its cancel). The source is first made to fit the sink: its channels, then its rate, then a
// peak limit at FULL_SCALE. PROCESS_FAILED when the source or the sink is in error (or there is
// no sink); PROCESS_STOPPED on a cancel, with the blocks written so far left in the sink.
ProcessResult CopySourceToSink(LProgressDialog& process, LSoundSourceRef source,
                               LSoundSinkRef sink);

// LPRSourceToSink: the copy as a process of its own, with the caption and "Espere por favor...".
class LPRSourceToSink : public LProgressDialog {
  public:
    LPRSourceToSink(std::string caption, LSoundSourceRef source, LSoundSinkRef sink);

  protected:
    ProcessResult Body() override;

  private:
    LSoundSourceRef source_;
    LSoundSinkRef sink_;
};

}  // namespace sonvara
