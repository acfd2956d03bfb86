#pragma once
// Test signals and measurements for audio chains.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numbers>
#include <vector>

#include "audio/memory_stream.h"
#include "audio/sound_source.h"

namespace sonvara::testing {

// `frames` frames of a sine of `frequency` Hz and `amplitude`, the same on every channel.
inline std::vector<Sample> Sine(double frequency, double amplitude, std::int32_t rate,
                                std::int32_t frames, int channels = 1) {
    std::vector<Sample> samples;
    samples.reserve(static_cast<std::size_t>(frames) * channels);
    for (std::int32_t f = 0; f < frames; ++f) {
        auto value = static_cast<Sample>(
            std::lround(amplitude * std::sin(2 * std::numbers::pi * frequency * f / rate)));
        for (int c = 0; c < channels; ++c) {
            samples.push_back(value);
        }
    }
    return samples;
}

inline LSoundSourceRef MemorySource(std::vector<Sample> samples, std::int32_t rate,
                                    int channels = 1, Sample max_sample = FULL_SCALE) {
    return new LMemorySoundSource(std::move(samples), rate, channels, max_sample);
}

inline std::vector<Sample> ReadAll(LSoundSourceBase& source, std::int32_t frames) {
    std::vector<Sample> samples(static_cast<std::size_t>(frames) * source.GetChannels());
    source.Read(samples.data(), frames);
    return samples;
}

// Everything `source` gives, read in pieces of `block` frames while its position is below its
// length (which may be an estimate until the end is found); nothing past the final length.
inline std::vector<Sample> ReadToEnd(LSoundSourceBase& source, std::int32_t block = 1000) {
    std::vector<Sample> all;
    std::vector<Sample> buffer(static_cast<std::size_t>(block) *
                               static_cast<std::size_t>(source.GetChannels()));
    while (source.GetPosition() < source.GetLength()) {
        const std::int32_t before = source.GetPosition();
        source.Read(buffer.data(), block);
        const std::int32_t valid = std::min(block, source.GetLength() - before);
        all.insert(all.end(), buffer.begin(),
                   buffer.begin() + static_cast<std::ptrdiff_t>(valid) * source.GetChannels());
    }
    return all;
}

// Root mean square of one channel over frames [first, last).
inline double Rms(const std::vector<Sample>& samples, int channels, std::int32_t first,
                  std::int32_t last, int channel = 0) {
    double sum = 0;
    for (std::int32_t f = first; f < last; ++f) {
        double value = samples[static_cast<std::size_t>(f) * channels + channel];
        sum += value * value;
    }
    return std::sqrt(sum / (last - first));
}

// Upward zero crossings of one channel over frames [first, last).
inline int RisingZeroCrossings(const std::vector<Sample>& samples, int channels, std::int32_t first,
                               std::int32_t last) {
    int crossings = 0;
    for (std::int32_t f = first + 1; f < last; ++f) {
        if (samples[static_cast<std::size_t>(f - 1) * channels] < 0 &&
            samples[static_cast<std::size_t>(f) * channels] >= 0) {
            ++crossings;
        }
    }
    return crossings;
}

inline double Decibels(double ratio) {
    return 20 * std::log10(ratio);
}

}  // namespace sonvara::testing
