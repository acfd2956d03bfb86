#pragma once
// LSRCPeakLimit: keeps every sample within a limit by looking ahead. The upstream is cut into
// blocks of rate ÷ 35 frames (20 to 8192). Each block has a gain that would bring its peak to the
// limit (unity when it is below). The limiter plays block A while it already holds the next two,
// B and C, and moves its gain linearly over A towards the smaller of A's and B's gains, never
// beyond the average of the last four block gains: a peak is turned down before it arrives.

#include <cstdint>
#include <vector>

#include "audio/sound_source.h"

namespace sonvara {

class LSRCPeakLimit : public LSoundSourceBase {
  public:
    static constexpr Sample kMaxLimit = 0x3FFFFF;

    LSRCPeakLimit(LSoundSourceRef upstream, Sample limit);

    void Read(Sample* buffer, std::int32_t frames) override;
    std::int32_t GetPosition() const override;
    std::int32_t GetLength() const override { return upstream_->GetLength(); }
    void Seek(std::int32_t frame) override;

    std::int32_t BlockFrames() const { return block_frames_; }
    // The gain (unity 2^24) that brings a block whose peak is `peak` down to `limit`.
    static std::int32_t BlockGain(std::int64_t peak, Sample limit);

  private:
    void Prime();
    void ReadBlock(std::vector<Sample>& block, std::int32_t& gain);
    void SetUpRamp();
    void ApplyGain(const Sample* in, Sample* out, std::int32_t frames);

    LSoundSourceRef upstream_;
    Sample limit_;
    std::int32_t block_frames_;
    std::vector<Sample> block_a_, block_b_, block_c_;
    std::int32_t gain_before_ = 0, gain_a_ = 0, gain_b_ = 0, gain_c_ = 0;
    std::int32_t position_;  // frames played of block A; 3 × block size until primed
    std::int32_t gain_ = 0;
    std::int32_t step_ = 0;
};

}  // namespace sonvara
