#include "codecs/mp3/mp3_requantize.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace sonvara::mp3 {
namespace {

const std::vector<float>& PowerFourThirds() {
    static const std::vector<float> table = [] {
        std::vector<float> values(kMaxQuantized + 1);
        for (std::size_t i = 0; i < values.size(); ++i) {
            values[i] = static_cast<float>(std::pow(static_cast<double>(i), 4.0 / 3.0));
        }
        return values;
    }();
    return table;
}

// 2^(quarters / 4), exactly for the fractional part.
float ComputePowerOfTwoQuarters(int quarters) {
    static constexpr double kFraction[4] = {1.0, 1.189207115002721, 1.4142135623730951,
                                            1.681792830507429};
    const int whole = quarters >= 0 ? quarters / 4 : -((-quarters + 3) / 4);
    return static_cast<float>(std::ldexp(kFraction[quarters - 4 * whole], whole));
}

// The gains of every exponent that sound can ask for (global_gain 0..255 less scale factors and
// subblock gains), from a table; others computed.
constexpr int kLowestQuarters = -512;
constexpr int kHighestQuarters = 64;

float PowerOfTwoQuarters(int quarters) {
    static const std::vector<float> table = [] {
        std::vector<float> values(kHighestQuarters - kLowestQuarters + 1);
        for (int q = kLowestQuarters; q <= kHighestQuarters; ++q) {
            values[static_cast<std::size_t>(q - kLowestQuarters)] = ComputePowerOfTwoQuarters(q);
        }
        return values;
    }();
    if (quarters < kLowestQuarters || quarters > kHighestQuarters) {
        return ComputePowerOfTwoQuarters(quarters);
    }
    return table[static_cast<std::size_t>(quarters - kLowestQuarters)];
}

// The sign goes on by flipping the sign bit (what negation does), without a branch: signs come
// in no order a predictor could learn.
float Value(const float* pow43, std::int32_t quantized, float gain) {
    const auto magnitude = static_cast<std::size_t>(std::min(std::abs(quantized), kMaxQuantized));
    const float v = pow43[magnitude] * gain;
    const std::uint32_t sign = static_cast<std::uint32_t>(quantized) & 0x80000000U;
    return std::bit_cast<float>(std::bit_cast<std::uint32_t>(v) ^ sign);
}

}  // namespace

int MixedLongEnd(const FrameHeader& header, const ScaleFactorBands& bands) {
    return bands.long_start[header.IsMpeg1() ? 8 : 6];
}

void Requantize(const QuantizedSpectrum& in, const FrameHeader& header, const GranuleChannel& gc,
                const ScaleFactors& sf, const ScaleFactorBands& bands, Spectrum& out,
                int nonzero_end) {
    const float* pow43 = PowerFourThirds().data();
    std::fill(out.begin() + std::clamp(nonzero_end, 0, kGranuleLines), out.end(), 0.0F);
    // Exponents in quarter steps: global_gain counts quarters from 210; a scale factor counts
    // halves, or whole steps with scalefac_scale; a subblock gain counts 8 quarters.
    const int global = gc.global_gain - 210;
    const int sf_quarters = gc.scalefac_scale ? 4 : 2;
    const bool preflag = header.IsMpeg1() ? gc.preflag : sf.lsf_preflag;
    const bool is_short = gc.window_switching && gc.block_type == BlockType::kShort;
    const int long_end = !is_short        ? kGranuleLines
                         : gc.mixed_block ? MixedLongEnd(header, bands)
                                          : 0;

    for (std::size_t band = 0; band < 22; ++band) {
        const int start = bands.long_start[band];
        if (start >= long_end) {
            break;
        }
        const int end = std::min({int{bands.long_start[band + 1]}, long_end, nonzero_end});
        const int scale = sf.long_bands[band] + (preflag ? kPretab[band] : 0);
        const float gain = PowerOfTwoQuarters(global - sf_quarters * scale);
        for (int i = start; i < end; ++i) {
            out[static_cast<std::size_t>(i)] = Value(pow43, in[static_cast<std::size_t>(i)], gain);
        }
    }
    if (!is_short) {
        return;
    }
    for (std::size_t band = 0; band < 13; ++band) {
        const int width = bands.short_start[band + 1] - bands.short_start[band];
        const int start = 3 * bands.short_start[band];
        if (start < long_end) {
            continue;
        }
        for (std::size_t window = 0; window < 3; ++window) {
            const int quarters =
                global - 8 * gc.subblock_gain[window] - sf_quarters * sf.short_bands[band][window];
            const float gain = PowerOfTwoQuarters(quarters);
            const int first = start + static_cast<int>(window) * width;
            for (int i = first; i < std::min(first + width, nonzero_end); ++i) {
                out[static_cast<std::size_t>(i)] =
                    Value(pow43, in[static_cast<std::size_t>(i)], gain);
            }
        }
    }
}

void ReorderShortBlocks(const FrameHeader& header, const GranuleChannel& gc,
                        const ScaleFactorBands& bands, Spectrum& spectrum) {
    if (!gc.window_switching || gc.block_type != BlockType::kShort) {
        return;
    }
    const int long_end = gc.mixed_block ? MixedLongEnd(header, bands) : 0;
    Spectrum reordered = spectrum;
    for (std::size_t band = 0; band < 13; ++band) {
        const int width = bands.short_start[band + 1] - bands.short_start[band];
        const int start = 3 * bands.short_start[band];
        if (start < long_end) {
            continue;
        }
        for (int window = 0; window < 3; ++window) {
            for (int j = 0; j < width; ++j) {
                const int frequency = bands.short_start[band] + j;
                reordered[static_cast<std::size_t>(3 * frequency + window)] =
                    spectrum[static_cast<std::size_t>(start + window * width + j)];
            }
        }
    }
    spectrum = reordered;
}

}  // namespace sonvara::mp3
