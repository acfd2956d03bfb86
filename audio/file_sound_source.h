#pragma once
// FileSoundSource: the reading rules every file reader shares (the PCM and coded data of WAV
// files, headerless, AU and AIFF data, GSM, VOX and MP3 files), so that a reader implements only
// its decoding.
//
// A read of N frames from position p takes frames [max(p, 0), p + N) from the reader, as many of
// them as DecodedFrames allows (by default those before the length); the frames before 0, those
// past what the reader was asked for and those it could not deliver read as zeros. The position
// moves on by N whatever the file delivered, held at INT32_MAX. A source in error reads silence
// and never asks the reader.

#include <cstdint>

#include "audio/sound_source.h"

namespace sonvara {

// A read of `frames` frames (> 0) from `position`: the frames of silence before frame 0 that
// start it, the first frame of data it asks for, and the position after it.
struct ReadStart {
    std::int64_t lead;
    std::int64_t first;
    std::int32_t next;
};

class FileSoundSource : public LSoundSourceBase {
  public:
    using LSoundSourceBase::LSoundSourceBase;

    void Read(Sample* buffer, std::int32_t frames) final;
    std::int32_t GetPosition() const final { return position_; }
    // Sets the position only: the next read asks the reader for the frames from there on.
    void Seek(std::int32_t frame) override { position_ = frame; }

  protected:
    // How many frames from `start.first` on a read ending at `end` asks the reader for. The
    // default stops at the length; a reader whose length is an estimate decodes on past it.
    virtual std::int64_t DecodedFrames(const ReadStart& start, std::int64_t end);
    // Decodes `count` (> 0) frames from frame `first` (≥ 0) on into `out` and returns how many
    // it wrote; the read's remaining frames are zeros.
    virtual std::int64_t ReadFrames(std::int64_t first, Sample* out, std::int64_t count) = 0;

    void SetPosition(std::int32_t frame) { position_ = frame; }

  private:
    std::int32_t position_ = 0;
};

}  // namespace sonvara
