#pragma once
// LTransport: the editor's transport on one LSoundPlayer: play (the selection, or from the
// cursor, at the stored speed, once or in a loop), stop, scrub, the jumps while playing and the
// held winds. It builds the source of each over the edit document of the file that plays and
// tells which document frame is being heard, so that a play cursor can follow the sound.
//
// The chain it plays, from the document outwards: the document's reader (cut off at the end of
// what plays), a loop (LSRCLoop) when the play repeats, a time stretch when the speed is not
// normal or a wind runs. Positions the player reports are positions of the outermost source;
// HeardFrame() carries them back through the chain to document frames.
//
// When playback stops the document's cursor stays at the frame heard last (at the end of what
// played when it ran out). The player's notifications come back here; what the frame must see of
// them goes to a TransportHost. The player is the transport's own, or one it borrows for a while
// (the player dialog drives the frame's player this way). Interface thread only.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "audio/sound_source.h"
#include "core/prompts.h"
#include "devices/mixer.h"
#include "devices/sound_player.h"

namespace sonvara {

class LEditDocument;
class LSRCLoop;
class LSRCTimeStretch;
class MessageLoop;
class WaveOutProvider;

enum class Wind { kNone, kRewind, kForward };

// What the user is told when no output device opens, with the device's own `reason` (may be
// empty) after the fixed text.
PromptMessage NoOutputDeviceMessage(const std::string& reason);

class TransportHost {
  public:
    virtual ~TransportHost() = default;
    // No output device could be opened; `reason` says what the device answered (may be empty).
    virtual void DeviceFailed(const std::string& reason) = 0;
    // Playback ended without a stop from here: the sound ran out (`reason` empty) or the device
    // failed while playing (`reason` says why). The document's cursor is set already.
    virtual void PlaybackEnded(const std::string& reason) = 0;
    virtual void LevelsChanged(const SoundLevels& levels) = 0;
    // The player reported a position: `frame` is the document frame heard then.
    virtual void PositionReported(std::int32_t /*frame*/) {}
};

class LTransport : private LSoundPlayerNotify {
  public:
    // The winds' speeds ramp from their start to their end speed over this time.
    static constexpr std::int32_t kWindRampMilliseconds = 8000;

    // Plays on a player of its own.
    LTransport(MessageLoop& loop, WaveOutProvider& outputs, TransportHost& host);
    // Plays on `player`, which must outlive this: stops what it plays (its notification target
    // hears of that) and takes its notifications; they go nowhere after this is destroyed.
    LTransport(LSoundPlayer& player, WaveOutProvider& outputs, TransportHost& host);
    ~LTransport() override;
    LTransport(const LTransport&) = delete;
    LTransport& operator=(const LTransport&) = delete;

    // Play: resumes a scrub; otherwise the cursor goes to 0 when it lies within the last second,
    // and a selection plays from its start to its end, else the document from the cursor to its
    // end, at the "PlaySpeed" setting. With `loop` the selection (or the whole document) plays
    // again and again. False when nothing plays.
    bool Play(LEditDocument& document, bool loop);
    // Plays `document` from `frame` to its end at normal speed. A play that follows an edit by
    // itself (`after_edit`) tells of a missing output only the first time, so that a machine
    // without sound does not answer every edit with the same message.
    bool PlayFrom(LEditDocument& document, std::int32_t frame, bool after_edit = false);
    // From now on plays on output `device`, instead of the "Settings" section's device; the
    // player dialog set its volume to `volume_db`, which a wind that lowered the volume then
    // puts back instead of the level it found.
    void SetOutput(int device, int volume_db);

    // Stops; a wind ends without resuming what played before it.
    void Stop();
    // Scrub: plays first when idle, then loops a snippet at the heard frame.
    void Scrub(LEditDocument& document);
    // The jumps while playing: to the start, or one second before the end of what plays (the end
    // itself while scrubbing). False when idle, for the caller to move the cursor instead.
    bool SeekToStart() { return SeekTo(0); }
    bool SeekToEnd();
    // Playing goes on from document frame `frame` (nothing while a wind runs). False when idle.
    bool SeekTo(std::int32_t frame);
    // Starts winding `document` from its cursor (or from the heard frame while playing); nothing
    // when this wind runs already. An opposite wind ends first, and what played before it is
    // still what resumes.
    void PressWind(LEditDocument& document, Wind wind);
    // Ends `wind` when it is the one running, and resumes the scrub or the play that ran before.
    void ReleaseWind(Wind wind);
    Wind Winding() const { return wind_; }

    bool IsActive() const { return !player_.IsIdle(); }
    // The document that plays, or null.
    LEditDocument* Document() const { return document_; }
    // The document frame heard now, or where playback stopped.
    std::int32_t HeardFrame() const;
    LSoundPlayer& Player() { return player_; }
    // This as the player's notification target, for whoever hands the player back to it.
    LSoundPlayerNotify& Notifications() { return *this; }

  private:
    struct Chain;
    // What to play: [from, end) of the document, the loop, the speeds of a stretch.
    struct PlayRequest {
        std::int32_t from = 0;
        std::int32_t end = 0;
        bool loop = false;
        std::int32_t loop_start = 0;
        double start_speed = 1.0;
        double end_speed = 1.0;
        std::int32_t ramp_ms = 0;
        bool after_edit = false;
    };
    bool Begin(LEditDocument& document, const PlayRequest& request);
    // With "ReduceVolWhenRewind", the output plays at -8 dB while a wind runs; when it ends, on
    // every path (released, stopped, run into the end, failed to start), the output's volume is
    // put back as it was.
    void LowerVolumeForWind();
    void RestoreVolumeAfterWind();
    int Device() const;
    // The player's position of document frame `frame`, for a seek.
    std::int32_t SourceFrameOf(std::int32_t frame) const;
    std::int32_t DocumentFrameOf(std::int64_t position) const;
    void Settle(std::int32_t frame);

    void EvStop(std::uint32_t user) override;
    void EvPosition(std::uint32_t user, std::int32_t milliseconds) override;
    void EvLevels(std::uint32_t user, const SoundLevels& levels) override;

    WaveOutProvider& outputs_;
    TransportHost& host_;
    std::unique_ptr<LSoundPlayer> own_player_;
    LSoundPlayer& player_;
    struct Output {
        int device;
        int volume_db;
    };
    std::optional<Output> output_;  // null: the settings' choice
    LEditDocument* document_ = nullptr;
    std::unique_ptr<Chain> chain_;
    PlayRequest request_;
    std::int32_t stopped_at_ = 0;
    std::int32_t last_heard_ = 0;
    bool stopping_ = false;
    bool told_after_edit_ = false;  // a play after an edit has reported a missing output
    Wind wind_ = Wind::kNone;
    // The volume a wind lowered: the levels it found, or the player dialog's volume set since.
    struct LoweredVolume {
        std::optional<OutVolumeLevels> levels;
        int db = 0;
    };
    std::optional<LoweredVolume> lowered_;
    // What a wind's release resumes: 0 nothing, 1 the scrub, 2 the play (`resume_loop_`: looped).
    int resume_ = 0;
    bool resume_loop_ = false;
    PlayRequest resume_request_;
};

}  // namespace sonvara
