#pragma once

#include <string>

#include "audio/sound_sink.h"
#include "audio/sound_source.h"
#include "core/progress_dialog.h"

namespace sonvara {

// Copies a whole source into a sink, block by block, as part of `process` (its progress bar and
// its cancel), and finishes the sink. The source is first made to fit the sink: its channels,
// then its rate, then a peak limit at FULL_SCALE. PROCESS_FAILED when there is no sink, when the
// source or any filter of the chain is in error (a filter that cannot take its input: more than
// two channels, a ratio the rate converter cannot step), before the copy or after any block, or
// when the sink fails; PROCESS_STOPPED on a cancel, with the sink finished on the blocks written
// so far (a cancelled load keeps the part before the cancel; a save discards its file anyway).
ProcessResult CopySourceToSink(LProgressDialog& process, LSoundSourceRef source,
                               LSoundSinkRef sink);

// How every copy into a sink ends: a copy that is `outcome` PROCESS_DONE or PROCESS_STOPPED
// finishes `sink` (a failed one does not); a sink that failed, then or earlier, turns
// PROCESS_DONE into PROCESS_FAILED and shows its ErrorText() when it has one. PROCESS_STOPPED
// stays what it is.
ProcessResult FinishSink(LProgressDialog& process, ProcessResult outcome, LSoundSinkBase& sink);

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
