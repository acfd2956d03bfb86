#pragma once
// LEffectPreview: lets an effect dialog play its effect over part of a document without touching
// the document. It plays the selection (or ten seconds from the cursor when there is none) in a
// loop through the effect, on the frame's player; a change of the dialog's values puts the new
// effect in place of the old at the place that plays, so that the change is heard at once and the
// loop does not start again from the top. Interface thread only; toolkit-free.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "devices/sound_player.h"
#include "document/cut_list_audio.h"
#include "document/frame_range.h"
#include "effects/effect_process.h"

namespace sonvara {

class LEditDocument;
class LSRCLoop;

class LEffectPreview : private LSoundPlayerNotify {
  public:
    // `player` and `document` must outlive the preview. The preview borrows the player: whoever
    // played on it before is stopped first and gets it back when the preview stops.
    LEffectPreview(LSoundPlayer& player, const LEditDocument& document);
    ~LEffectPreview() override;  // stops
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
    // Called when the play ends without a Stop() from here: the device failed (ErrorText() says
    // how). The player is handed back before.
    void SetEndedCallback(std::function<void()> ended) { ended_ = std::move(ended); }

    // The part that plays: the selection, or ten seconds from the cursor, within the document.
    static FrameRange PartOf(const LEditDocument& document);

  private:
    struct Chain;
    // The chain of `effect` over the document, placed so that the player's position `heard`
    // (in the units of the chain playing now, if any) stands for the same place in the loop.
    std::unique_ptr<Chain> MakeChain(const EffectSourceFactory& effect, std::int64_t heard) const;
    void GiveBack();
    void EvStop(std::uint32_t user) override;

    LSoundPlayer& player_;
    const LEditDocument& document_;
    LCutListAudio audio_;  // what plays, taken at the start
    FrameRange part_{};
    std::unique_ptr<Chain> chain_;
    bool borrowed_ = false;
    bool stopping_ = false;
    LSoundPlayerNotify* owner_ = nullptr;
    std::uint32_t owner_user_ = 0;
    std::string error_;
    std::function<void()> ended_;
};

}  // namespace sonvara
