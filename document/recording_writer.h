#pragma once
// LSNKRecordingWriter: the sink a recording goes into. It writes the audio into a row of cut
// writers, each taking at most kSegmentSeconds, and finishes every segment as soon as it is full,
// so that what was recorded sits in finished cut files (with their graphs) while the recording
// goes on. A write that fails (a full disk) puts the sink in error: Kept() still holds every
// segment finished before it and what of the segment being written reached its file, and the
// owner decides what becomes of it.
//
// A recording stops at the longest a document holds (the limit given, at most 2^31 - 1 frames:
// 13.5 hours at 44.1 kHz): the write that reaches it keeps what fits, finishes the segment and
// puts the sink in error with a message saying so, so that the recorder stops and Kept() holds all.
//
// Truncate finishes the segment being written at the new end, or moves back over finished
// segments, cutting their records back; either way the next write starts a new cut. Used on one
// thread at a time (the recorder's worker while it records).
//
// While it lives, the writer keeps a recovery file (crash_recovery.h) of what it recorded, the
// segment being written included, so that a recording survives the editor dying; the file goes
// with the writer.

#include <cstdint>
#include <limits>
#include <string>

#include "audio/sound_sink.h"
#include "document/crash_recovery.h"
#include "document/cut_list_audio.h"
#include "document/cut_tank.h"

namespace sonvara {

class LSNKRecordingWriter : public LSoundSinkBase {
  public:
    static constexpr std::int32_t kSegmentSeconds = 10;

    // `limit_frames`: the most frames the recording may take (what the document still holds).
    LSNKRecordingWriter(std::int32_t sample_rate, int channels, LAudioCutTank& tank = CutTank(),
                        std::int32_t limit_frames = std::numeric_limits<std::int32_t>::max());

    void Write(const Sample* buffer, std::int32_t frames) override;
    // Back to `frames` (never forward).
    void Truncate(std::int32_t frames) override;
    // Finishes the segment being written into Kept(). False when any write failed.
    bool Finish() override;
    // Why the segment being written was lost.
    std::string ErrorText() const override { return error_text_; }

    // The finished segments, at the writer's rate and channels.
    const LCutListAudio& Kept() const { return kept_; }

  private:
    void FinishSegment();
    // The segment's writer failed after `frames_sent` frames were handed to it.
    void Fail(const LSoundSinkBase& writer, std::int32_t frames_sent);
    // Appends to Kept() the frames of the failed segment that its file holds (at most
    // `frames_sent`).
    void KeepWhatReachedTheDisk(std::int32_t frames_sent);
    // Puts what is recorded so far in the recovery file.
    void KeepForRecovery();

    LAudioCutTank& tank_;
    const std::int32_t segment_frames_;
    const std::int32_t limit_frames_;
    LCutListAudio kept_;
    LCutListAudio segment_;                // the target of the writer of the segment being written
    LSoundSinkRef writer_;                 // empty between segments
    std::uint16_t open_cut_ = kSilentCut;  // the cut writer_ writes
    LRecoveryJournal journal_;
    std::string error_text_;
};

}  // namespace sonvara
