#include "effects/frequency_analysis.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "audio/filter_makers.h"
#include "document/cut_list_reader.h"

namespace sonvara {

namespace {

constexpr int kOrder = 12;
static_assert(1 << kOrder == kSpectrumFrames);

// An in-place radix-2 decimation-in-time FFT of kSpectrumFrames points.
void Transform(std::vector<std::complex<double>>& values) {
    const std::size_t n = values.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; (j & bit) != 0; bit >>= 1) {
            j ^= bit;
        }
        j |= bit;
        if (i < j) {
            std::swap(values[i], values[j]);
        }
    }
    for (std::size_t length = 2; length <= n; length <<= 1) {
        const double angle = -2.0 * std::numbers::pi / static_cast<double>(length);
        for (std::size_t start = 0; start < n; start += length) {
            for (std::size_t k = 0; k < length / 2; ++k) {
                const std::complex<double> twiddle =
                    std::polar(1.0, angle * static_cast<double>(k));
                const std::complex<double> odd = values[start + k + length / 2] * twiddle;
                values[start + k + length / 2] = values[start + k] - odd;
                values[start + k] += odd;
            }
        }
    }
}

std::int8_t LevelOf(std::complex<double> value) {
    // The magnitude is truncated to a whole number before it is scaled, as stored spectra were.
    const double magnitude = std::trunc(std::abs(value));
    const double v = magnitude * 1.0789581580026326e-05;
    if (v <= 0) {
        return kSilentBandLevel;
    }
    const double decibels = 20.0 * std::log10(v);
    const double level = std::trunc(v < 1 ? decibels - 0.5 : decibels + 0.5);
    return static_cast<std::int8_t>(std::clamp(level, -127.0, 127.0));
}

}  // namespace

SpectrumLevels SpectrumOf(std::span<const Sample, kSpectrumFrames> samples) {
    std::vector<std::complex<double>> values(samples.begin(), samples.end());
    Transform(values);
    SpectrumLevels levels;
    for (std::size_t band = 0; band < levels.size(); ++band) {
        levels[band] = LevelOf(values[band]);
    }
    return levels;
}

SpectrumLevels AnalyzeSpectrum(const LCutListAudio& audio, std::int32_t frame) {
    LSoundSourceRef source =
        LChannelsFilterMaker(1).Make(LSoundSourceRef(new LSRCCutListAudio(audio)));
    source->Seek(frame);
    std::array<Sample, kSpectrumFrames> samples{};
    source->Read(samples.data(), kSpectrumFrames);
    return SpectrumOf(samples);
}

int BandFrequency(int band, std::int32_t sample_rate) {
    return static_cast<int>(static_cast<double>(band) * sample_rate * 0.00024414063);
}

}  // namespace sonvara
