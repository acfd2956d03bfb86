#include "codecs/mp3/mp3_stereo.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sonvara::mp3 {

std::optional<IntensityGains> Mpeg1Intensity(int position) {
    if (position < 0 || position >= 7) {
        return std::nullopt;
    }
    // Ratio L/R = tan(position · π/12): L = ratio/(1 + ratio), R = 1/(1 + ratio), written with
    // sine and cosine so that position 6 (ratio infinite) needs no special case.
    const double angle = position * std::numbers::pi / 12;
    const double sum = std::sin(angle) + std::cos(angle);
    return IntensityGains{static_cast<float>(std::sin(angle) / sum),
                          static_cast<float>(std::cos(angle) / sum)};
}

std::optional<IntensityGains> LsfIntensity(int position, int illegal, int intensity_scale) {
    if (position < 0 || position == illegal) {
        return std::nullopt;
    }
    // Each step attenuates one channel by 2^-(1/4), or by 2^-(1/2) with intensity_scale set:
    // odd positions the left channel, even ones the right.
    const double step = intensity_scale != 0 ? std::numbers::sqrt2 / 2 : std::pow(2.0, -0.25);
    if (position == 0) {
        return IntensityGains{1.0F, 1.0F};
    }
    if ((position & 1) != 0) {
        return IntensityGains{static_cast<float>(std::pow(step, (position + 1) / 2)), 1.0F};
    }
    return IntensityGains{1.0F, static_cast<float>(std::pow(step, position / 2))};
}

namespace {

struct LineMode {
    bool intensity = false;
    IntensityGains gains{1.0F, 1.0F};
};

std::optional<IntensityGains> Gains(const FrameHeader& header, const ScaleFactors& sf, int position,
                                    int illegal) {
    if (header.IsMpeg1()) {
        return Mpeg1Intensity(position);
    }
    return LsfIntensity(position, illegal, sf.intensity_scale);
}

// The last non-zero line in [first, end) with the given stride, or first - stride.
int LastNonZero(const QuantizedSpectrum& q, int first, int end, int stride) {
    int last = first - stride;
    for (int i = first; i < end; i += stride) {
        if (q[static_cast<std::size_t>(i)] != 0) {
            last = i;
        }
    }
    return last;
}

}  // namespace

void ProcessJointStereo(const FrameHeader& header, const GranuleChannel& right_gc,
                        const ScaleFactors& right_sf, const ScaleFactorBands& bands,
                        const QuantizedSpectrum& right_quantized, Spectrum& left, Spectrum& right) {
    if (header.mode != Mode::kJointStereo) {
        return;
    }
    constexpr float kHalfRoot = static_cast<float>(1.0 / std::numbers::sqrt2);
    const bool middle_side = header.MiddleSide();
    if (!header.Intensity()) {
        // Middle/side alone (or neither), the usual case: one plain loop without the modes.
        for (std::size_t i = 0; middle_side && i < kGranuleLines; ++i) {
            const float middle = left[i];
            const float side = right[i];
            left[i] = (middle + side) * kHalfRoot;
            right[i] = (middle - side) * kHalfRoot;
        }
        return;
    }
    std::array<LineMode, kGranuleLines> modes{};
    const bool is_short = right_gc.window_switching && right_gc.block_type == BlockType::kShort;
    const int long_end = !is_short              ? kGranuleLines
                         : right_gc.mixed_block ? MixedLongEnd(header, bands)
                                                : 0;
    bool short_part_silent = true;
    if (is_short) {
        for (int window = 0; window < 3; ++window) {
            // The first short band above this window's last non-zero line.
            int start_band = 13;
            for (int band = 12; band >= 0; --band) {
                const int width = bands.short_start[static_cast<std::size_t>(band) + 1] -
                                  bands.short_start[static_cast<std::size_t>(band)];
                const int first =
                    3 * bands.short_start[static_cast<std::size_t>(band)] + window * width;
                if (first < long_end) {
                    break;
                }
                if (LastNonZero(right_quantized, first, first + width, 1) >= first) {
                    short_part_silent = false;
                    break;
                }
                start_band = band;
            }
            for (int band = start_band; band < 13; ++band) {
                // Band 12 carries no scale factor; it takes band 11's position.
                const auto coded = static_cast<std::size_t>(std::min(band, 11));
                const std::optional<IntensityGains> gains = Gains(
                    header, right_sf, right_sf.short_bands[coded][static_cast<std::size_t>(window)],
                    right_sf.short_illegal[coded]);
                if (!gains) {
                    continue;
                }
                const int width = bands.short_start[static_cast<std::size_t>(band) + 1] -
                                  bands.short_start[static_cast<std::size_t>(band)];
                const int first =
                    3 * bands.short_start[static_cast<std::size_t>(band)] + window * width;
                for (int i = first; i < first + width; ++i) {
                    modes[static_cast<std::size_t>(i)] = {true, *gains};
                }
            }
        }
    }
    if (long_end > 0 && short_part_silent) {
        const int last = LastNonZero(right_quantized, 0, long_end, 1);
        for (std::size_t band = 0; band < 22; ++band) {
            const int first = bands.long_start[band];
            if (first >= long_end) {
                break;
            }
            if (first <= last) {
                continue;
            }
            // Band 21 carries no scale factor; it takes band 20's position.
            const std::size_t coded = std::min<std::size_t>(band, 20);
            const std::optional<IntensityGains> gains =
                Gains(header, right_sf, right_sf.long_bands[coded], right_sf.long_illegal[coded]);
            if (!gains) {
                continue;
            }
            const int end = std::min<int>(bands.long_start[band + 1], long_end);
            for (int i = first; i < end; ++i) {
                modes[static_cast<std::size_t>(i)] = {true, *gains};
            }
        }
    }
    for (std::size_t i = 0; i < kGranuleLines; ++i) {
        if (modes[i].intensity) {
            const float coded = left[i];
            left[i] = coded * modes[i].gains.left;
            right[i] = coded * modes[i].gains.right;
        } else if (middle_side) {
            const float middle = left[i];
            const float side = right[i];
            left[i] = (middle + side) * kHalfRoot;
            right[i] = (middle - side) * kHalfRoot;
        }
    }
}

}  // namespace sonvara::mp3
