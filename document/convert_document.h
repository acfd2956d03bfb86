#pragma once
// Converting a whole document to another sample rate or channel count. The rate converter runs on
// the fewer channels (before a channel count goes up, after it goes down). The document changes
// only when the whole conversion is there: a cancelled or failed conversion leaves it as it was.

#include <cstdint>

#include "core/progress_dialog.h"
#include "document/cut_list_audio.h"

namespace sonvara {

class LCLAConvertRateChannels : public LProgressDialog {
  public:
    LCLAConvertRateChannels(LCutListAudio& document, std::int32_t rate, int channels);

  protected:
    ProcessResult Body() override;

  private:
    LCutListAudio& document_;
    std::int32_t rate_;
    int channels_;
};

// The conversion as a step of another process (a save to VOX makes the document mono first).
ProcessResult ConvertRateChannels(LProgressDialog& process, LCutListAudio& document,
                                  std::int32_t rate, int channels);

}  // namespace sonvara
