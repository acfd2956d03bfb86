#include "codecs/mp3/mp3_hybrid.h"

#include <algorithm>
#include <cmath>
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

const HybridTables& Tables() {
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
    const HybridTables& t = Tables();
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
    const HybridTables& t = Tables();
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

// ImdctLong of four subbands at once, one per lane, with the same operations in the same order.
void ImdctLongLanes(BlockType block_type, const float* const in[kLanes], float* const out[kLanes]) {
    const HybridTables& t = Tables();
    const auto& window = t.window[static_cast<std::size_t>(block_type)];
    Lanes first[9] = {};
    Lanes second[9] = {};
    for (std::size_t k = 0; k < kSubbandLines; ++k) {
        const Lanes x = {in[0][k], in[1][k], in[2][k], in[3][k]};
        const auto& cosines = t.cos_long[k];
        for (std::size_t i = 0; i < 9; ++i) {
            first[i] += x * cosines[i];
            second[i] += x * cosines[18 + i];
        }
    }
    for (std::size_t lane = 0; lane < kLanes; ++lane) {
        float* raw = out[lane];
        for (std::size_t i = 0; i < 9; ++i) {
            raw[i] = first[i][lane] * window[i];
            raw[17 - i] = -first[i][lane] * window[17 - i];
            raw[18 + i] = second[i][lane] * window[18 + i];
            raw[35 - i] = second[i][lane] * window[35 - i];
        }
    }
}

}  // namespace

void ImdctShort(const float in[kSubbandLines], float out[36]) {
    const HybridTables& t = Tables();
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
    const BlockType long_type = is_short ? BlockType::kNormal : gc.block_type;
    float raw[kSubbands][36];
    // The subbands with a long transform, done four at a time.
    std::array<std::size_t, kSubbands> long_bands{};
    std::size_t longs = 0;
    for (std::size_t sb = 0; sb < kSubbands; ++sb) {
        const float* lines = spectrum.data() + kSubbandLines * sb;
        if (std::all_of(lines, lines + kSubbandLines, [](float x) { return x == 0.0F; })) {
            // Most upper subbands are silent: their transform is zero whatever the window.
            std::fill(raw[sb], raw[sb] + 36, 0.0F);
        } else if (is_short && !(gc.mixed_block && sb < 2)) {
            ImdctShort(lines, raw[sb]);
        } else {
            long_bands[longs++] = sb;
        }
    }
    std::size_t next = 0;
    for (; next + kLanes <= longs; next += kLanes) {
        const float* in[kLanes];
        float* to[kLanes];
        for (std::size_t lane = 0; lane < kLanes; ++lane) {
            in[lane] = spectrum.data() + kSubbandLines * long_bands[next + lane];
            to[lane] = raw[long_bands[next + lane]];
        }
        ImdctLongLanes(long_type, in, to);
    }
    for (; next < longs; ++next) {
        ImdctLong(long_type, spectrum.data() + kSubbandLines * long_bands[next],
                  raw[long_bands[next]]);
    }
    for (std::size_t sb = 0; sb < kSubbands; ++sb) {
        for (std::size_t i = 0; i < kSubbandLines; ++i) {
            float value = raw[sb][i] + overlap[sb][i];
            overlap[sb][i] = raw[sb][i + kSubbandLines];
            // Odd subbands come out of the analysis mirrored in frequency; negating their odd
            // samples turns them back.
            if ((sb & 1) != 0 && (i & 1) != 0) {
                value = -value;
            }
            out[i][sb] = value;
        }
    }
}

}  // namespace sonvara::mp3
