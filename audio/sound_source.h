#pragma once
// LSoundSourceBase: the pull side of every audio chain (files, the edit document, effects,
// converters, the recorder's input).
//
// Read(buffer, frames) always delivers exactly `frames` frames and advances the position by that
// many; past the end it delivers zeros. The end is found by comparing GetPosition() with
// GetLength() after a read, never by a short read. A source that cannot work has its error bit
// set (from construction on, or from the read that failed) and still answers every call (it reads
// silence), so callers test IsError() instead of a missing object. A filter is in error as soon
// as its upstream is, so testing the last source of a chain tests the whole chain. Sources are
// shared through LSoundSourceRef; the last reference destroys them. A source is used by one thread
// at a time.

#include <cstdint>
#include <string>

#include "audio/counted.h"
#include "audio/sample_format.h"

namespace sonvara {

class LSoundSourceBase : public Counted {
  public:
    // A rate below 1 or 0 channels sets the error bit (the rate becomes 44100, the count 1).
    LSoundSourceBase(std::int32_t sample_rate, int channels, Sample max_sample);

    virtual void Read(Sample* buffer, std::int32_t frames) = 0;
    virtual std::int32_t GetPosition() const = 0;
    // A source whose length is not known yet returns an estimate that becomes exact at its end.
    virtual std::int32_t GetLength() const = 0;
    virtual void Seek(std::int32_t frame);

    std::int32_t GetSampleRate() const { return sample_rate_; }
    int GetChannels() const { return channels_; }
    // The largest magnitude this source can produce: FULL_SCALE for files, kUnknownMaxSample
    // when the source cannot tell.
    Sample GetMaxSample() const { return max_sample_; }
    bool IsError() const {
        return (error_flags_ & kErrorUnusable) != 0 ||
               (error_upstream_ != nullptr && error_upstream_->IsError());
    }
    // Why the source is in error, in words for the user, when it can say more than its owner
    // (which knows the file it opened); "" otherwise. A filter gives its upstream's.
    virtual std::string ErrorText() const;

  protected:
    // A filter names the source it reads from (and keeps a reference to it) so that an error
    // there is an error here too.
    void FollowErrorsOf(const LSoundSourceBase& upstream) { error_upstream_ = &upstream; }
    void SetSampleRate(std::int32_t sample_rate);
    void SetChannels(int channels);
    void SetMaxSample(Sample max_sample) { max_sample_ = max_sample; }
    void SetError() { error_flags_ |= kErrorUnusable; }

  private:
    static constexpr std::uint8_t kErrorUnusable = 1;

    const LSoundSourceBase* error_upstream_ = nullptr;
    std::int32_t sample_rate_ = 44100;
    Sample max_sample_;
    std::uint8_t channels_ = 1;
    std::uint8_t error_flags_ = 0;
};

// The empty source every failed open returns: 11025 Hz mono, in error, reads zeros, length 0.
class LNullSoundSource : public LSoundSourceBase {
  public:
    LNullSoundSource();
    void Read(Sample* buffer, std::int32_t frames) override;
    std::int32_t GetPosition() const override { return 0; }
    std::int32_t GetLength() const override { return 0; }
};

// A counted reference to a source. An unset reference holds a fresh LNullSoundSource, so a
// source reference always names a usable object.
class LSoundSourceRef : public CountedRef<LSoundSourceBase> {
  public:
    LSoundSourceRef();
    LSoundSourceRef(LSoundSourceBase* source);  // NOLINT: wrapping a new source is the common case
    template <typename U>
    LSoundSourceRef(const CountedRef<U>& other)  // NOLINT: upcast
        : LSoundSourceRef(static_cast<LSoundSourceBase*>(other.Get())) {}
};

}  // namespace sonvara
