#pragma once
// LookAheadSource: the frame of a filter that steers its gains from the block after the one it
// hands out (the compressor, the noise gates). It keeps two blocks read from the upstream, the
// current one and the one ahead, so the upstream stands two blocks past the current block's
// start; the output is not delayed. A seek moves the upstream and reads both blocks afresh from
// there. A filter made over an upstream in error is in error: it reads silence and reports the
// upstream's position.

#include <cstdint>

#include "audio/sound_source.h"

namespace sonvara {

class LookAheadSource : public LSoundSourceBase {
  public:
    void Read(Sample* buffer, std::int32_t frames) final;
    std::int32_t GetPosition() const final;
    std::int32_t GetLength() const final { return upstream_->GetLength(); }
    void Seek(std::int32_t frame) final;

    std::int32_t BlockFrames() const { return block_frames_; }

  protected:
    // Blocks of `block_frames` (> 0) frames.
    LookAheadSource(LSoundSourceRef upstream, std::int32_t block_frames, Sample max_sample);

    // Reads the current block and the one ahead from the upstream's position and sets the gains
    // going; a filter's constructor calls it once its buffers are ready, if not in error.
    void Restart();
    LSoundSourceBase& Upstream() const { return *upstream_; }

  private:
    // Reads the current block and the one ahead (Restart's work).
    virtual void ReadFirstBlocks() = 0;
    // The block ahead becomes the current one, and the next block is read ahead.
    virtual void NextBlock() = 0;
    // Writes `count` frames of the current block from its frame `at` on into `out`.
    virtual void Render(std::int32_t at, std::int32_t count, Sample* out) = 0;

    LSoundSourceRef upstream_;
    std::int32_t block_frames_;
    std::int32_t position_ = 0;  // the next frame of the current block
};

}  // namespace sonvara
