#pragma once
// Mixing audio (the clipboard or a loaded file) into a selection, and pasting over a selection.
// The audio to paste is first converted to the document's rate and channels when they differ.
// The mix adds the paste to the selection from its start, with a volume and a balance; the
// document's own audio is not scaled. Nothing changes until the whole mix is made.

#include <cstdint>

#include "core/progress_dialog.h"
#include "document/cut_list_audio.h"
#include "document/frame_range.h"
#include "effects/effect_parameters.h"

namespace sonvara {

// What a paste longer than the selection does.
enum MixMode : std::int32_t {
    MIXMODE_INSERTSILENCE = 0,    // silence is inserted after the selection to make room
    MIXMODE_EXTENDSELECTION = 1,  // the mix runs on into the audio after the selection
    MIXMODE_FADEMIXOUT = 2,       // the paste is cut at the selection's end, faded out before it
};

// The gains (unity 2^24) of the paste on the left and right channels for a volume percent and a
// balance of 0 (left) to 100 (right); 50 gives both the volume.
struct MixGains {
    std::int32_t left;
    std::int32_t right;
};
MixGains MixPasteGains(std::int32_t volume_percent, std::int32_t balance);

class EfMixPaste : public LProgressDialog {
  public:
    EfMixPaste(LCutListAudio& document, FrameRange range, const LCutListAudio& paste,
               const MixPasteParameters& parameters);

    // After a completed run: the end of the mixed range, for the new selection.
    std::int32_t SelectionEnd() const { return range_.end; }

  protected:
    ProcessResult Body() override;

  private:
    LCutListAudio& document_;
    FrameRange range_;
    LCutListAudio paste_;  // a copy of the records: the clipboard may change meanwhile
    MixPasteParameters parameters_;
};

// Replaces the selection by `paste`, converted to the document's format first when it differs.
class LEfPasteOver : public LProgressDialog {
  public:
    LEfPasteOver(LCutListAudio& document, FrameRange range, const LCutListAudio& paste);

  protected:
    ProcessResult Body() override;

  private:
    LCutListAudio& document_;
    FrameRange range_;
    LCutListAudio paste_;
};

}  // namespace sonvara
