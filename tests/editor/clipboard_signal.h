#pragma once
// What the clipboard tests put on the clipboard and expect back: every sample an exact 16-bit
// value that differs from its neighbours in time and across channels, full scale included, and a
// checksum that notices a sample out of place.

#include <cstdint>
#include <vector>

#include "audio/sound_source.h"

namespace sonvara::testing {

inline std::vector<Sample> ClipboardSignal(std::int32_t frames, int channels) {
    std::vector<Sample> samples;
    for (std::int32_t f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            const int value = (f * 997 + c * 12345) % 65535 - 32767;
            samples.push_back(SampleFrom16(static_cast<std::int16_t>(value)));
        }
    }
    return samples;
}

inline std::vector<Sample> ReadWhole(LSoundSourceBase& source) {
    std::vector<Sample> samples(static_cast<std::size_t>(source.GetLength()) *
                                static_cast<std::size_t>(source.GetChannels()));
    source.Read(samples.data(), source.GetLength());
    return samples;
}

inline std::int64_t Checksum(const std::vector<Sample>& samples) {
    std::int64_t sum = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        sum += static_cast<std::int64_t>(i + 1) * samples[i];
    }
    return sum;
}

}  // namespace sonvara::testing
