#pragma once
// LWindowSource: a stretch of another source as a source of its own: its frame 0 is the
// upstream's frame `start`. The stretch is `length` frames long when that is given, else it ends
// `trim_end` frames before the upstream's end (following the upstream's length while that is an
// estimate). Frames before 0 and past the end read as zeros; a seek moves the upstream with
// it.

#include <cstdint>
#include <optional>

#include "audio/sound_source.h"

namespace sonvara {

class LWindowSource final : public LSoundSourceBase {
  public:
    LWindowSource(LSoundSourceRef upstream, std::int32_t start, std::optional<std::int32_t> length,
                  std::int32_t trim_end = 0);

    void Read(Sample* buffer, std::int32_t frames) override;
    std::int32_t GetPosition() const override { return position_; }
    std::int32_t GetLength() const override;
    void Seek(std::int32_t frame) override;

  private:
    LSoundSourceRef upstream_;
    std::int32_t start_;
    std::optional<std::int32_t> length_;
    std::int32_t trim_end_;
    std::int32_t position_ = 0;
};

}  // namespace sonvara
