#pragma once
// LSNKRecordingWriter: the sink a recording goes into. It writes the audio into a row of cut
// writers, each taking at most kSegmentSeconds, and finishes every segment as soon as it is full,
// so that what was recorded sits in finished cut files (with their graphs) while the recording
// goes on. A write that fails (a full disk) puts the sink in error and loses only the segment
// being written: Kept() still holds every segment finished before it, and the owner decides what
// becomes of it.
//
// Truncate moves back over finished segments too: their records are cut back, and the next write
// starts a new cut. Used on one thread at a time (the recorder's worker while it records).

#include <cstdint>
#include <string>

#include "audio/sound_sink.h"
#include "document/cut_list_audio.h"
#include "document/cut_tank.h"

namespace sonvara {

class LSNKRecordingWriter : public LSoundSinkBase {
  public:
    static constexpr std::int32_t kSegmentSeconds = 10;

    LSNKRecordingWriter(std::int32_t sample_rate, int channels, LAudioCutTank& tank = CutTank());

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
    void Fail(const LSoundSinkBase& writer);

    LAudioCutTank& tank_;
    const std::int32_t segment_frames_;
    LCutListAudio kept_;
    LCutListAudio segment_;  // the target of the writer of the segment being written
    LSoundSinkRef writer_;   // empty between segments
    std::string error_text_;
};

}  // namespace sonvara
