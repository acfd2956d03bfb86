#pragma once
// LEffectPreview: lets an effect dialog play its effect over part of a document without touching
// the document. It plays the selection (or ten seconds from the cursor when there is none) in a
// loop through the effect, on the frame's player; a change of the dialog's values puts the new
// effect in place of the old at the place that plays, so that the change is heard at once and the
// loop does not start again from the top. Interface thread only; toolkit-free.

#include <cstdint>
#include <string>

#include "effects/effect_process.h"

namespace sonvara {

class LEditDocument;
class LSoundPlayer;

class LEffectPreview {
  public:
    // `player` and `document` must outlive the preview. The preview borrows the player: whoever
    // played on it before is stopped first and gets it back when the preview stops.
    LEffectPreview(LSoundPlayer& player, const LEditDocument& document);
    ~LEffectPreview();  // stops
    LEffectPreview(const LEffectPreview&) = delete;
    LEffectPreview& operator=(const LEffectPreview&) = delete;

    // Starts playing the document's part through `effect`. False, with ErrorText() saying why,
    // when nothing plays (no output device, an empty document).
    bool Start(const EffectSourceFactory& effect);
    // While playing: `effect` takes the place of the one playing, at the place being heard.
    // Nothing when not playing.
    void Update(const EffectSourceFactory& effect);
    void Stop();
    bool IsPlaying() const;
    std::string ErrorText() const;
};

}  // namespace sonvara
