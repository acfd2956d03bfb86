#pragma once
// LSoundPlayer: plays a sound source on a wave output. A worker thread pulls blocks from the
// source, turns them into 16-bit PCM and keeps a ring of 64 device buffers filled; as buffers come
// back it reports the played position and the per-channel levels to an LSoundPlayerNotify on the
// interface thread, and the end of play the same way. Besides plain playing it has a paused
// start, a pre-roll start, seeking while playing, and a cue mode that loops a snippet of about
// 25 ms, which scrubbing uses.
//
// Every public call is made on the interface thread; the notifications arrive there too, through
// the message loop given at construction. The worker never calls the notification target.

#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "audio/sound_source.h"
#include "core/message_loop.h"

namespace sonvara {

class WaveOutProvider;

// The levels of one block: a count of channels and one level per channel in dB relative to
// 16-bit full scale (-127 for silence; full-scale sound measures about +15). A played block
// also carries the momentary loudness (LUFS, the 400 ms up to its end) of what was played;
// minus infinity for silence and in every other report.
struct SoundLevels {
    std::uint8_t channels = 0;
    std::array<std::int8_t, 256> level{};
    double momentary = -std::numeric_limits<double>::infinity();
};

// What the player tells its owner. Each call receives the owner's user value first. The default
// implementations do nothing.
class LSoundPlayerNotify {
  public:
    virtual ~LSoundPlayerNotify() = default;
    virtual void EvPlay(std::uint32_t /*user*/) {}
    virtual void EvStop(std::uint32_t /*user*/) {}
    virtual void EvCue(std::uint32_t /*user*/) {}
    virtual void EvPause(std::uint32_t /*user*/) {}
    // The played position in milliseconds of the source.
    virtual void EvPosition(std::uint32_t /*user*/, std::int32_t /*milliseconds*/) {}
    virtual void EvLevels(std::uint32_t /*user*/, const SoundLevels& /*levels*/) {}
};

class LSoundPlayer {
  public:
    // The state flags; 0 is idle.
    enum State : std::uint16_t {
        kOpen = 0x01,  // device open, worker running
        kPaused = 0x02,
        kCue = 0x04,      // looping one buffer (scrub)
        kPreRoll = 0x08,  // device held paused until the ring has been filled once
        kTakeoff = 0x10,  // worker priority still low; raised at the first full ring
    };
    // The flags of Start.
    enum StartFlags : int { kStartPaused = 1, kStartPreRoll = 2 };

    // `outputs` opens the devices by number; both must outlive the player.
    LSoundPlayer(MessageLoop& loop, WaveOutProvider& outputs);
    ~LSoundPlayer();  // stops
    LSoundPlayer(const LSoundPlayer&) = delete;
    LSoundPlayer& operator=(const LSoundPlayer&) = delete;

    // Plays `source` from its current position. False when the source is in error, the peak
    // limiter fails or the device cannot be opened; the player is idle then.
    bool Start(LSoundSourceRef source, int flags = 0);
    // Stops and releases the device and the source; nothing happens when idle.
    void Stop();
    // Enters or resumes the scrub loop at the played position.
    void Cue();
    // Leaves cue mode and pause and plays on.
    void Play();
    // Moves to `frame` of the source; keeps pause and cue mode.
    void Seek(std::int32_t frame);
    // Puts `source` in place of the playing one at the played position without stopping the
    // device (an effect dialog's preview after a change of a parameter). The new source must
    // have the rate and channel count of the old; false (and nothing changed) otherwise or when
    // idle. What was queued from the old source is dropped, so the change is heard at once.
    bool ReplaceSource(LSoundSourceRef source);

    std::uint16_t Flags() const;
    bool IsIdle() const { return Flags() == 0; }
    bool IsCue() const { return (Flags() & kCue) != 0; }
    // The playing source (the null source when idle): its rate and length.
    const LSoundSourceRef& Source() const;
    // The source position just after the last buffer that came back from the device.
    std::int32_t PlayedPosition() const;
    // The source frame being heard now, between the buffer reports, from the device's own clock:
    // what a play cursor redrawn at the screen's refresh shows. PlayedPosition() when idle.
    std::int32_t HeardPosition() const;
    // Why the last play ended abnormally (the device stopped answering, a write failed, the
    // device could not be opened); empty after a normal end. Read by the owner in EvStop.
    std::string ErrorText() const;

    // The output device number used by the next Start (the "SoundOutDevice" setting); -1 is the
    // default device.
    void SetDevice(int device);
    int Device() const;

    // Where notifications go (null: nowhere) and the value passed back with them. An owner
    // points the player at itself and back at null before it goes away.
    void SetNotify(LSoundPlayerNotify* target, std::uint32_t user = 0);
    // The target and value set last (null: nowhere), for whoever borrows the player for a while
    // and hands its notifications back after.
    LSoundPlayerNotify* NotifyTarget() const;
    std::uint32_t NotifyUser() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace sonvara
