#pragma once
// LSRCConvertRate: a polyphase FIR sample-rate converter with 63 taps per phase and a Kaiser
// window. The ratio source/target is approximated by P/Q with Q ≤ 255 phases; every output frame
// steps P/Q input frames. The arithmetic is integer and fixed: the input is scaled down per block
// of 8192 frames by a shift k so that its peak fits 16 bits, the 63 products are summed in 64
// bits and limited to 32, and the sum is scaled back with rounding.
//
// Output frame 0 is centred on input frame 0: the filter adds no delay.

#include <array>
#include <cstdint>
#include <vector>

#include "audio/sound_source.h"

namespace sonvara {

struct RateRatio {
    int q;  // phases (output step)
    int p;  // input step
};

// The P/Q nearest to `ratio` (source rate ÷ target rate) with Q from 1 to 255, stopping at the
// first Q whose error is below 0.001.
RateRatio FindRateRatio(double ratio);

class LSRCConvertRate : public LSoundSourceBase {
  public:
    static constexpr int kTaps = 63;

    // `pre_stage` marks the first of two converters in a row (a steeper cut-off, as the second
    // stage removes what is left above the final band). A target rate below 1 sets the error bit.
    LSRCConvertRate(LSoundSourceRef upstream, std::int32_t target_rate, bool pre_stage = false);

    void Read(Sample* buffer, std::int32_t frames) override;
    std::int32_t GetPosition() const override;
    std::int32_t GetLength() const override;
    void Seek(std::int32_t frame) override;

    RateRatio Ratio() const { return ratio_; }
    // The taps of one phase.
    const std::int32_t* Taps(int phase) const { return &taps_[phase * kTapStride]; }

  private:
    static constexpr int kTapStride = 64;  // 63 taps and a zero, for even vector lengths
    static constexpr std::int32_t kBufferFrames = kTaps + kBlockFrames;  // history + one block
    static constexpr std::int32_t kStartPosition = 8224;

    void DesignFilter(double cutoff, double beta);
    void Refill();
    std::int64_t ToUpstream(std::int64_t frames) const;

    LSoundSourceRef upstream_;
    RateRatio ratio_{1, 1};
    std::vector<std::int32_t> taps_;
    // The taps split into 256 × high + low, for the 16-bit sums.
    std::vector<std::int16_t> high_taps_;
    std::vector<std::int16_t> low_taps_;
    // One plane per channel, so that each output sample is one contiguous dot product.
    std::array<std::vector<Sample>, 2> input_;
    // The same planes in 16 bits, valid while `narrow_` is set (every scaled sample fits).
    std::array<std::vector<std::int16_t>, 2> narrow_input_;
    bool narrow_ = false;
    std::vector<Sample> block_;  // an interleaved block from the upstream
    std::int32_t position_ = kStartPosition;
    std::int32_t accumulator_ = 0;
    int shift_ = 0;
};

}  // namespace sonvara
