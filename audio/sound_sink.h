#pragma once
// LSoundSinkBase: the push end of an audio chain (files, the cut writer, the player).
//
// Write(buffer, frames) takes frames of internal samples; a sink in error ignores them. After the
// last write the owner calls Finish(), which completes the work (a file's final header, a codec's
// last block, the cut writer's hand-over to its document) and reports whether all of it
// succeeded. A sink that is dropped unfinished has not completed anything: its destructor only
// releases what it holds, and the caller discards the output (a save's temporary file goes).

#include <cstdint>
#include <string>

#include "audio/counted.h"
#include "audio/sample_format.h"

namespace sonvara {

class LSoundSinkBase : public Counted {
  public:
    // 0 channels sets the error bit and the count becomes 1; a rate below 1 likewise (44100).
    LSoundSinkBase(std::int32_t sample_rate, int channels);

    virtual void Write(const Sample* buffer, std::int32_t frames) = 0;
    // Sets the written length back to `frames`; later writes continue from there. Sinks that
    // cannot do it ignore the call.
    virtual void Truncate(std::int32_t frames);
    // Completes what was written. False when anything failed, now or in an earlier write; the
    // sink is then in error. Call it once; writes after it are not part of the output.
    virtual bool Finish();
    // Why the sink is in error, in words for the user, when it can say more than its owner (which
    // knows the file it asked for); "" otherwise.
    virtual std::string ErrorText() const;

    std::int32_t GetSampleRate() const { return sample_rate_; }
    int GetChannels() const { return channels_; }
    std::int32_t GetFramesWritten() const { return frames_written_; }
    bool IsError() const { return (error_flags_ & kErrorUnusable) != 0; }

  protected:
    void SetError() { error_flags_ |= kErrorUnusable; }
    // Every Write adds its frames here.
    void AddFramesWritten(std::int32_t frames) { frames_written_ += frames; }
    void SetFramesWritten(std::int32_t frames) { frames_written_ = frames; }

  private:
    static constexpr std::uint8_t kErrorUnusable = 1;

    std::int32_t frames_written_ = 0;
    std::int32_t sample_rate_ = 44100;
    std::uint8_t channels_ = 1;
    std::uint8_t error_flags_ = 0;
};

// A counted reference to a sink; it may be empty.
using LSoundSinkRef = CountedRef<LSoundSinkBase>;

}  // namespace sonvara
