#pragma once
// The shape every effect on a document's selection shares: the selection of the whole document
// is read through the effect's source, written into a temporary cut list, and that list replaces
// the selection only when all of it was made. A cancelled or failed effect leaves the document as
// it was, and the result always has exactly the selection's length.

#include <cstdint>
#include <functional>
#include <string>

#include "audio/sound_sink.h"
#include "audio/sound_source.h"
#include "core/progress_dialog.h"
#include "document/cut_list_audio.h"
#include "document/frame_range.h"

namespace sonvara {

// Wraps the source over the whole document in an effect (and further stages, if any); the
// result has the same rate and channels.
using EffectSourceFactory = std::function<LSoundSourceRef(const LSoundSourceRef& upstream)>;

// Copies the frames of `range` from `source` into `sink` (which may be empty: the frames are
// then only read) in blocks of 8192 frames, with progress and cancel. PROCESS_STOPPED on a
// cancel; an empty or reversed range reads nothing and is done.
ProcessResult LEfSoundProcess(LProgressDialog& process, const LSoundSourceRef& source,
                              const LSoundSinkRef& sink, FrameRange range);

// Copies `source` from its position into `sink` until the source ends (its length is asked again
// after every block: effects that change the length know it only roughly at first), in blocks of
// 8192 frames with progress and cancel. Nothing is limited or converted on the way.
ProcessResult CopyToEnd(LProgressDialog& process, const LSoundSourceRef& source,
                        const LSoundSinkRef& sink);

// How the frame moves the selection from the effect's source into the result; LEfSoundProcess
// unless an effect reads in another order.
using RangeCopy =
    std::function<ProcessResult(LProgressDialog& process, const LSoundSourceRef& source,
                                const LSoundSinkRef& sink, FrameRange range)>;

// For processes that work from a source to a sink of their own: the selection is copied out,
// `step` runs from a source over the copy into a sink to a new list, and that list replaces the
// selection only when `step` is done and the list is complete (a failed write shows its message
// through `process`). A reversed range does nothing.
using SelectionStep =
    std::function<ProcessResult(const LSoundSourceRef& source, const LSoundSinkRef& sink)>;
ProcessResult RunOnSelectionCopy(LProgressDialog& process, LCutListAudio& document,
                                 FrameRange range, const SelectionStep& step);

// The frame above for one effect: `name` on progress line 0, the effect made by `make`. An
// effect whose source fell into error fails, with the source's message, and changes nothing.
ProcessResult RunRangeEffect(LProgressDialog& process, const std::string& name,
                             LCutListAudio& document, FrameRange range,
                             const EffectSourceFactory& make,
                             const RangeCopy& copy = LEfSoundProcess);

}  // namespace sonvara
