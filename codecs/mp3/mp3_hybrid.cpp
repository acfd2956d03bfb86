#include "codecs/mp3/mp3_hybrid.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "codecs/mp3/mp3_lanes.h"

namespace sonvara::mp3 {
namespace {

struct HybridTables {
    std::array<float, 8> cs{};
    std::array<float, 8> ca{};
    std::array<std::array<float, 36>, 4> window{};  // by block type; [2] is the short window
    // [k][i]: the long transform's cosines by input line, so that each line adds to all 36
    // outputs in one vectorised pass.
    std::array<std::array<float, 36>, kSubbandLines> cos_long{};
    std::array<std::array<float, 6>, 12> cos_short{};
};

const HybridTables& BuiltHybridTables() {
    static const HybridTables tables = [] {
        HybridTables t;
        // The alias-reduction coefficients c[i] of ISO/IEC 11172-3 table B.9.
        constexpr double kC[8] = {-0.6, -0.535, -0.33, -0.185, -0.095, -0.041, -0.0142, -0.0037};
        for (std::size_t i = 0; i < 8; ++i) {
            const double root = std::sqrt(1.0 + kC[i] * kC[i]);
            t.cs[i] = static_cast<float>(1.0 / root);
            t.ca[i] = static_cast<float>(kC[i] / root);
        }
        const double pi = std::numbers::pi;
        for (int i = 0; i < 36; ++i) {
            const auto at = static_cast<std::size_t>(i);
            const double long_sine = std::sin(pi / 36 * (i + 0.5));
            t.window[0][at] = static_cast<float>(long_sine);
            t.window[1][at] = static_cast<float>(i < 18   ? long_sine
                                                 : i < 24 ? 1.0
                                                 : i < 30 ? std::sin(pi / 12 * (i - 18 + 0.5))
                                                          : 0.0);
            t.window[3][at] = static_cast<float>(i < 6    ? 0.0
                                                 : i < 12 ? std::sin(pi / 12 * (i - 6 + 0.5))
                                                 : i < 18 ? 1.0
                                                          : long_sine);
            t.window[2][at] = i < 12 ? static_cast<float>(std::sin(pi / 12 * (i + 0.5))) : 0.0F;
            for (int k = 0; k < kSubbandLines; ++k) {
                t.cos_long[static_cast<std::size_t>(k)][at] =
                    static_cast<float>(std::cos(pi / 72 * (2 * i + 1 + 18) * (2 * k + 1)));
            }
        }
        for (int i = 0; i < 12; ++i) {
            for (int k = 0; k < 6; ++k) {
                t.cos_short[static_cast<std::size_t>(i)][static_cast<std::size_t>(k)] =
                    static_cast<float>(std::cos(pi / 24 * (2 * i + 1 + 6) * (2 * k + 1)));
            }
        }
        return t;
    }();
    return tables;
}

}  // namespace

void ReduceAliases(const GranuleChannel& gc, Spectrum& spectrum) {
    const bool is_short = gc.window_switching && gc.block_type == BlockType::kShort;
    if (is_short && !gc.mixed_block) {
        return;
    }
    const int boundaries = is_short ? 1 : kSubbands - 1;
    const HybridTables& t = BuiltHybridTables();
    for (int sb = 1; sb <= boundaries; ++sb) {
        for (std::size_t i = 0; i < 8; ++i) {
            const auto lower = static_cast<std::size_t>(kSubbandLines * sb) - 1 - i;
            const auto upper = static_cast<std::size_t>(kSubbandLines * sb) + i;
            const float a = spectrum[lower];
            const float b = spectrum[upper];
            spectrum[lower] = a * t.cs[i] - b * t.ca[i];
            spectrum[upper] = b * t.cs[i] + a * t.ca[i];
        }
    }
}

void ImdctLong(BlockType block_type, const float in[kSubbandLines], float out[36]) {
    const HybridTables& t = BuiltHybridTables();
    const auto& window = t.window[static_cast<std::size_t>(block_type)];
    // The transform's outputs mirror each other: y[17 - i] = -y[i] and y[35 - i] = y[18 + i].
    // Only outputs 0..8 and 18..26 are summed, each in line order as a plain dot product would.
    float first[9] = {};
    float second[9] = {};
    for (std::size_t k = 0; k < kSubbandLines; ++k) {
        const float x = in[k];
        const auto& cosines = t.cos_long[k];
        for (std::size_t i = 0; i < 9; ++i) {
            first[i] += x * cosines[i];
            second[i] += x * cosines[18 + i];
        }
    }
    for (std::size_t i = 0; i < 9; ++i) {
        out[i] = first[i] * window[i];
        out[17 - i] = -first[i] * window[17 - i];
        out[18 + i] = second[i] * window[18 + i];
        out[35 - i] = second[i] * window[35 - i];
    }
}

namespace {

// Raw IMDCT outputs of a granule, [output][subband], so that the overlap-add runs along the
// subbands.
using RawOutputs = std::array<std::array<float, kSubbands>, 36>;

// ImdctLong of the eight subbands from `first_band` on, one per lane, with the same operations
// in the same order as one at a time. Built for AVX2 (eight lanes in one register) and any
// x86-64 (two), chosen when the program starts.
__attribute__((target_clones("avx2", "default"))) void ImdctLongLanes(BlockType block_type,
                                                                      const float* in,
                                                                      std::size_t first_band,
                                                                      RawOutputs& out) {
    const HybridTables& t = BuiltHybridTables();
    const auto& window = t.window[static_cast<std::size_t>(block_type)];
    // The eight subbands' lines turned so that x[k] holds line k of each.
    Lanes x[kSubbandLines];
    std::size_t k = 0;
    for (; k + kLanes <= kSubbandLines; k += kLanes) {
        for (std::size_t lane = 0; lane < kLanes; ++lane) {
            std::memcpy(&x[k + lane], in + kSubbandLines * lane + k, sizeof(Lanes));
        }
        Transpose(x + k);
    }
    for (; k < kSubbandLines; ++k) {
        for (std::size_t lane = 0; lane < kLanes; ++lane) {
            x[k][lane] = in[kSubbandLines * lane + k];
        }
    }
    // Outputs 0..8, then 18..26: nine sums at a time stay in registers.
    for (const std::size_t half : {std::size_t{0}, std::size_t{18}}) {
        Lanes sums[9];
        for (Lanes& sum : sums) {
            sum = Lanes{};
        }
        for (k = 0; k < kSubbandLines; ++k) {
            const float* cosines = t.cos_long[k].data() + half;
            for (std::size_t i = 0; i < 9; ++i) {
                sums[i] += x[k] * cosines[i];
            }
        }
        // The first half's outputs mirror with a negation (y[17 - i] = -y[i]), the second's
        // without (y[35 - i] = y[18 + i]).
        for (std::size_t i = 0; i < 9; ++i) {
            const std::size_t mirror = half + 17 - i;
            const Lanes outputs[2] = {sums[i] * window[half + i],
                                      (half == 0 ? -sums[i] : sums[i]) * window[mirror]};
            std::memcpy(out[half + i].data() + first_band, &outputs[0], sizeof(Lanes));
            std::memcpy(out[mirror].data() + first_band, &outputs[1], sizeof(Lanes));
        }
    }
}

}  // namespace

void ImdctShort(const float in[kSubbandLines], float out[36]) {
    const HybridTables& t = BuiltHybridTables();
    for (std::size_t i = 0; i < 36; ++i) {
        out[i] = 0.0F;
    }
    for (std::size_t window = 0; window < 3; ++window) {
        for (std::size_t i = 0; i < 12; ++i) {
            float sum = 0.0F;
            for (std::size_t k = 0; k < 6; ++k) {
                sum += in[3 * k + window] * t.cos_short[i][k];
            }
            out[6 + 6 * window + i] += sum * t.window[2][i];
        }
    }
}

void InverseHybrid(const GranuleChannel& gc, const Spectrum& spectrum, Overlap& overlap,
                   SubbandSamples& out) {
    const bool is_short = gc.window_switching && gc.block_type == BlockType::kShort;
    RawOutputs raw;
    // Eight subbands at a time. A silent subband's transform is zero whatever the window; in a
    // group with sound the lanes compute it anyway, which can only differ in the sign of a zero,
    // and no zero's sign reaches a sample: every sum after starts from +0.
    for (std::size_t sb = 0; sb < kSubbands; sb += kLanes) {
        const float* lines = spectrum.data() + kSubbandLines * sb;
        if (std::all_of(lines, lines + kSubbandLines * kLanes, [](float x) { return x == 0.0F; })) {
            // Most upper subbands are silent.
            for (auto& outputs : raw) {
                std::fill_n(outputs.data() + sb, kLanes, 0.0F);
            }
        } else if (!is_short) {
            ImdctLongLanes(gc.block_type, lines, sb, raw);
        } else {
            for (std::size_t band = sb; band < sb + kLanes; ++band) {
                float one[36];
                const float* band_lines = spectrum.data() + kSubbandLines * band;
                if (gc.mixed_block && band < 2) {
                    ImdctLong(BlockType::kNormal, band_lines, one);
                } else {
                    ImdctShort(band_lines, one);
                }
                for (std::size_t i = 0; i < 36; ++i) {
                    raw[i][band] = one[i];
                }
            }
        }
    }
    // Odd subbands come out of the analysis mirrored in frequency; negating their odd samples
    // turns them back (a product with -1 is the negation).
    static constexpr std::array<float, kSubbands> kInvert = [] {
        std::array<float, kSubbands> signs{};
        for (std::size_t sb = 0; sb < kSubbands; ++sb) {
            signs[sb] = (sb & 1) != 0 ? -1.0F : 1.0F;
        }
        return signs;
    }();
    for (std::size_t i = 0; i < kSubbandLines; ++i) {
        for (std::size_t sb = 0; sb < kSubbands; ++sb) {
            const float value = raw[i][sb] + overlap[i][sb];
            overlap[i][sb] = raw[i + kSubbandLines][sb];
            out[i][sb] = (i & 1) != 0 ? value * kInvert[sb] : value;
        }
    }
}

}  // namespace sonvara::mp3
