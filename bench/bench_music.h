#pragma once
// The test material of the benchmarks: three tones in 44.1 kHz stereo, the left channel at
// `left` times full scale and the right at `right` (above 1 to exercise the peak limiter).

#include <cmath>
#include <numbers>
#include <vector>

#include "audio/sample_format.h"

namespace sonvara {

inline constexpr std::int32_t kBenchRate = 44100;

inline std::vector<Sample> BenchMusic(std::int32_t seconds, double left, double right) {
    std::vector<Sample> samples(static_cast<std::size_t>(kBenchRate) *
                                static_cast<std::size_t>(seconds) * 2);
    for (std::size_t i = 0; i < samples.size(); i += 2) {
        double t = static_cast<double>(i / 2) / kBenchRate;
        double value = 0.4 * std::sin(2 * std::numbers::pi * 220 * t) +
                       0.3 * std::sin(2 * std::numbers::pi * 3150 * t) +
                       0.2 * std::sin(2 * std::numbers::pi * 9000 * t);
        samples[i] = static_cast<Sample>(value * left * FULL_SCALE);
        samples[i + 1] = static_cast<Sample>(value * right * FULL_SCALE);
    }
    return samples;
}

}  // namespace sonvara
