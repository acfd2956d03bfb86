#pragma once
// LCutListAudioLoadSource: the process that loads a source into a document. It writes the
// source through a cut writer with the source's rate and channels (so the copy adds no
// conversion, only the peak limit at full scale). The writer is released when the process
// object is destroyed: from then on the target holds one cut with every frame written — all of
// the source, or the part before a cancel or failure.

#include <string>

#include "audio/source_to_sink.h"
#include "document/cut_list_audio.h"

namespace sonvara {

class LCutListAudioLoadSource : public LPRSourceToSink {
  public:
    LCutListAudioLoadSource(std::string caption, const LSoundSourceRef& source,
                            LCutListAudio& target, LAudioCutTank& tank = CutTank());
};

}  // namespace sonvara
