#pragma once
// LSRCLoop: plays a stretch of its upstream again and again without a gap, for a selection that
// plays in a loop. Reading from the start of the upstream (or from wherever it stands) goes on up
// to the loop's end and then on from the loop's start, so the loop is heard without a pause and
// never ends.
//
// Position counts the frames heard from frame 0 on as if the loop were unrolled: position p stands
// for upstream frame p while p lies before the loop's end, and for a frame inside the loop after
// that (UpstreamFrame). The length is INT32_MAX: the loop ends only when the player stops it.

#include <cstdint>

#include "audio/sound_source.h"

namespace sonvara {

class LSRCLoop : public LSoundSourceBase {
  public:
    // Loops [loop_start, loop_end) of `upstream`; in error when that range is empty or lies
    // outside the upstream. Starts at the upstream's position.
    LSRCLoop(LSoundSourceRef upstream, std::int32_t loop_start, std::int32_t loop_end);

    void Read(Sample* buffer, std::int32_t frames) override;
    std::int32_t GetPosition() const override;
    std::int32_t GetLength() const override;
    // Goes to position `frame` (a frame of the upstream when it lies before the loop's end).
    void Seek(std::int32_t frame) override;

    // The upstream frame that position `position` stands for.
    std::int32_t UpstreamFrame(std::int64_t position) const;

  private:
    LSoundSourceRef upstream_;
    std::int32_t loop_start_;
    std::int32_t loop_end_;
    std::int64_t position_;
};

}  // namespace sonvara
