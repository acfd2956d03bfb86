#include "effects/true_peak.h"

#include <algorithm>
#include <cmath>

namespace sonvara {
namespace {

// ITU-R BS.1770-4, Annex 2, Table 1: the interpolating filter's phases (the output between two
// input samples at 0, 1/4, 2/4 and 3/4 of the way).
constexpr float kPhases[4][12] = {
    {0.0017089843750F, 0.0109863281250F, -0.0196533203125F, 0.0332031250000F, -0.0594482421875F,
     0.1373291015625F, 0.9721679687500F, -0.1022949218750F, 0.0476074218750F, -0.0266113281250F,
     0.0148925781250F, -0.0083007812500F},
    {-0.0291748046875F, 0.0292968750000F, -0.0517578125000F, 0.0891113281250F, -0.1665039062500F,
     0.4650878906250F, 0.7797851562500F, -0.2003173828125F, 0.1015625000000F, -0.0582275390625F,
     0.0330810546875F, -0.0189208984375F},
    {-0.0189208984375F, 0.0330810546875F, -0.0582275390625F, 0.1015625000000F, -0.2003173828125F,
     0.7797851562500F, 0.4650878906250F, -0.1665039062500F, 0.0891113281250F, -0.0517578125000F,
     0.0292968750000F, -0.0291748046875F},
    {-0.0083007812500F, 0.0148925781250F, -0.0266113281250F, 0.0476074218750F, -0.1022949218750F,
     0.9721679687500F, 0.1373291015625F, -0.0594482421875F, 0.0332031250000F, -0.0196533203125F,
     0.0109863281250F, 0.0017089843750F},
};

// The largest magnitude of the four phases over `count` outputs of `line` (which holds 11 more
// samples before them), with the samples' own; `sums` has room for `count` values. The loops run
// along the outputs so that they vectorise (built for AVX2 too, where the processor has it).
__attribute__((target_clones("avx2", "default"))) float LinePeak(const float* line,
                                                                 std::int32_t count, float* sums) {
    float peak = 0;
    for (const auto& phase : kPhases) {
        std::fill(sums, sums + count, 0.0F);
        for (int tap = 0; tap < 12; ++tap) {
            const float weight = phase[tap];
            const float* from = line + tap;
            for (std::int32_t n = 0; n < count; ++n) {
                sums[n] += weight * from[n];
            }
        }
        for (std::int32_t n = 0; n < count; ++n) {
            peak = std::max(peak, std::fabs(sums[n]));
        }
    }
    for (std::int32_t n = 0; n < count; ++n) {
        peak = std::max(peak, std::fabs(line[n + 11]));
    }
    return peak;
}

}  // namespace

TruePeakMeter::TruePeakMeter(int channels)
    : channels_(channels),
      lines_(static_cast<std::size_t>(channels), std::vector<float>(kTaps - 1, 0.0F)) {}

void TruePeakMeter::Add(const float* frames, std::int32_t count) {
    for (int c = 0; c < channels_; ++c) {
        std::vector<float>& line = lines_[static_cast<std::size_t>(c)];
        line.resize(kTaps - 1 + static_cast<std::size_t>(count));
        for (std::int32_t n = 0; n < count; ++n) {
            line[kTaps - 1 + static_cast<std::size_t>(n)] =
                frames[static_cast<std::ptrdiff_t>(n) * channels_ + c];
        }
        sums_.resize(static_cast<std::size_t>(count));
        peak_ = std::max(peak_, static_cast<double>(LinePeak(line.data(), count, sums_.data())));
        // The last samples lead the next block.
        std::copy(line.end() - (kTaps - 1), line.end(), line.begin());
    }
}

}  // namespace sonvara
