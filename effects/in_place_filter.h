#pragma once
// LInPlaceFilter: the shape of the delay-line and one-pole effect sources. Each reads the
// upstream's frames into the caller's buffer and filters the channels × frames samples there, in
// interleaved order. Position, length, rate and channels are the upstream's, and so is the error
// state. A seek passes to the upstream and then clears the filter's memory.

#include <cstdint>

#include "audio/sound_source.h"

namespace sonvara {

class LInPlaceFilter : public LSoundSourceBase {
  public:
    explicit LInPlaceFilter(LSoundSourceRef upstream);

    void Read(Sample* buffer, std::int32_t frames) override;
    std::int32_t GetPosition() const override { return upstream_->GetPosition(); }
    std::int32_t GetLength() const override { return upstream_->GetLength(); }
    void Seek(std::int32_t frame) override;

  protected:
    const LSoundSourceRef& Upstream() const { return upstream_; }

  private:
    virtual void Filter(Sample* samples, std::size_t count) = 0;
    // Forgets the audio before a seek.
    virtual void Clear() = 0;

    LSoundSourceRef upstream_;
};

}  // namespace sonvara
