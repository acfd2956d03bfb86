#pragma once
// Speed and pitch changes of a selection, in three modes:
//  - simple: the sound is resampled to rate ÷ f and played at the old rate, so speed and pitch
//    both change by f and the length by 1 ÷ f;
//  - constant pitch: the time stretch changes the speed by f and keeps the pitch;
//  - constant speed: resampled as in the simple mode, then stretched back to its length, so only
//    the pitch changes.
// f is the percent ÷ 100, at least 0.1 in every mode (a factor of 0 would never end). The
// selection is replaced only when the whole change is made; the new selection covers it.

#include <cstdint>

#include "audio/sound_source.h"
#include "core/progress_dialog.h"
#include "document/cut_list_audio.h"
#include "document/frame_range.h"
#include "effects/effect_parameters.h"

namespace sonvara {

enum SpeedPitchMode : std::int32_t {
    kSpeedPitchSimple = 0,
    kSpeedPitchConstantPitch = 1,
    kSpeedPitchConstantSpeed = 2,
};

// The source chain of one mode over `source`; the result keeps the source's rate and channels.
// An unknown mode gives a source in error.
LSoundSourceRef SpeedPitchSource(const LSoundSourceRef& source, std::int32_t percent,
                                 std::int32_t mode);

class LEfChangeSpeedPitch : public LProgressDialog {
  public:
    LEfChangeSpeedPitch(LCutListAudio& document, FrameRange range,
                        const SpeedPitchParameters& parameters);

    // After a completed run: the end of the changed audio, for the new selection.
    std::int32_t SelectionEnd() const { return range_.end; }

  protected:
    ProcessResult Body() override;

  private:
    LCutListAudio& document_;
    FrameRange range_;
    SpeedPitchParameters parameters_;
};

}  // namespace sonvara
