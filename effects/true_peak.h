#pragma once
// The true peak of a sound (ITU-R BS.1770-4, Annex 2): the largest magnitude of the signal
// between its samples, found by interpolating it at four times its rate with the standard's
// 48-tap filter (four phases of 12 taps), or the sample peak where that is larger.

#include <array>
#include <cstdint>
#include <vector>

namespace sonvara {

class TruePeakMeter {
  public:
    explicit TruePeakMeter(int channels);

    // Interleaved frames, on the scale where 1.0 is full scale.
    void Add(const float* frames, std::int32_t count);
    // The largest magnitude found on any channel (1.0 is full scale), 0 before any sound.
    double Peak() const { return peak_; }

  private:
    static constexpr int kTaps = 12;

    int channels_;
    // Per channel: the last kTaps - 1 samples, then the block being measured.
    std::vector<std::vector<float>> lines_;
    std::vector<float> sums_;  // one phase's outputs for a block
    double peak_ = 0;
};

}  // namespace sonvara
