#pragma once
// Reverse: the selection played backwards. LReverseSoundProcess reads the range from its end in
// blocks of 8192 frames and writes each block with its frames in reverse order (the channels of a
// frame keep their order).

#include <cstdint>

#include "audio/sound_sink.h"
#include "audio/sound_source.h"
#include "core/progress_dialog.h"
#include "document/cut_list_audio.h"
#include "document/frame_range.h"

namespace sonvara {

ProcessResult LReverseSoundProcess(LProgressDialog& process, const LSoundSourceRef& source,
                                   const LSoundSinkRef& sink, FrameRange range);

class LEfReverse : public LProgressDialog {
  public:
    LEfReverse(LCutListAudio& document, FrameRange range);

  protected:
    ProcessResult Body() override;

  private:
    LCutListAudio& document_;
    FrameRange range_;
};

}  // namespace sonvara
