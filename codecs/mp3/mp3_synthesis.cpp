#include "codecs/mp3/mp3_synthesis.h"

#include <cmath>
#include <numbers>

#include "codecs/mp3/mp3_tables.h"

namespace sonvara::mp3 {
namespace {

struct SynthesisTables {
    std::array<std::array<double, 32>, 64> n{};
    std::array<double, 512> d{};
    // 1 / (2 cos((2k + 1)π / 2m)) for m = 2, 4, .. 32 at [log2(m) - 1][k].
    std::array<std::array<double, 16>, 5> dct_scale{};
};

const SynthesisTables& Tables() {
    static const SynthesisTables tables = [] {
        SynthesisTables t;
        for (int i = 0; i < 64; ++i) {
            for (int k = 0; k < 32; ++k) {
                t.n[static_cast<std::size_t>(i)][static_cast<std::size_t>(k)] =
                    std::cos((16 + i) * (2 * k + 1) * std::numbers::pi / 64);
            }
        }
        for (std::size_t i = 0; i < 512; ++i) {
            t.d[i] = std::ldexp(kSynthesisWindow[i], -16);
        }
        for (std::size_t level = 0; level < t.dct_scale.size(); ++level) {
            const auto m = static_cast<double>(std::size_t{2} << level);
            for (std::size_t k = 0; k < (std::size_t{1} << level); ++k) {
                const double angle =
                    (2.0 * static_cast<double>(k) + 1.0) * std::numbers::pi / (2.0 * m);
                t.dct_scale[level][k] = 1.0 / (2.0 * std::cos(angle));
            }
        }
        return t;
    }();
    return tables;
}

// DCT-II of n values (n = 2^(level + 1), or 1) in place: x[j] = Σ x[k] cos(j(2k + 1)π / 2n).
// The even outputs are the half-size DCT of x[k] + x[n-1-k]; with
// y[k] = (x[k] - x[n-1-k]) / (2 cos((2k + 1)π / 2n)) and Y its half-size DCT, odd output 2j + 1
// is Y[j] + Y[j + 1] (Y[n/2] = 0).
void Dct2(double* x, std::size_t n, std::size_t level) {
    if (n == 1) {
        return;
    }
    const std::size_t half = n / 2;
    const std::array<double, 16>& scale = Tables().dct_scale[level];
    double even[16];
    double odd[16];
    for (std::size_t k = 0; k < half; ++k) {
        even[k] = x[k] + x[n - 1 - k];
        odd[k] = (x[k] - x[n - 1 - k]) * scale[k];
    }
    if (half > 1) {
        Dct2(even, half, level - 1);
        Dct2(odd, half, level - 1);
    }
    for (std::size_t j = 0; j < half; ++j) {
        x[2 * j] = even[j];
        x[2 * j + 1] = odd[j] + (j + 1 < half ? odd[j + 1] : 0.0);
    }
}

}  // namespace

void PolyphaseSynthesis::Matrix(const float subbands[32], double v[64]) {
    double c[32];
    for (std::size_t k = 0; k < 32; ++k) {
        c[k] = subbands[k];
    }
    Dct2(c, 32, 4);
    for (std::size_t i = 0; i < 16; ++i) {
        v[i] = c[16 + i];
    }
    v[16] = 0.0;
    for (std::size_t i = 17; i < 48; ++i) {
        v[i] = -c[48 - i];
    }
    for (std::size_t i = 48; i < 64; ++i) {
        v[i] = -c[i - 48];
    }
}

void PolyphaseSynthesis::MatrixDirect(const float subbands[32], double v[64]) {
    const SynthesisTables& t = Tables();
    for (std::size_t i = 0; i < 64; ++i) {
        double sum = 0.0;
        for (std::size_t k = 0; k < 32; ++k) {
            sum += t.n[i][k] * subbands[k];
        }
        v[i] = sum;
    }
}

void PolyphaseSynthesis::Synthesize(const float subbands[32], float out[32]) {
    const SynthesisTables& t = Tables();
    // Shift by 64: the new values become slots 0..63.
    offset_ = (offset_ + 1024 - 64) % 1024;
    // The offset is a multiple of 64: the new values lie whole in the ring.
    Matrix(subbands, v_.data() + offset_);
    // U[64i + j] = V[128i + j], U[64i + 32 + j] = V[128i + 96 + j];
    // out[j] = Σ U[j + 32i] D[j + 32i] over i = 0..15. The offset is a multiple of 64, so
    // each run of 32 values of V lies whole in the ring.
    double sums[32] = {};
    for (std::size_t i = 0; i < 8; ++i) {
        const double* first = v_.data() + (offset_ + 128 * i) % 1024;
        const double* second = v_.data() + (offset_ + 128 * i + 96) % 1024;
        const double* d_first = t.d.data() + 64 * i;
        const double* d_second = d_first + 32;
        for (std::size_t j = 0; j < 32; ++j) {
            sums[j] += first[j] * d_first[j] + second[j] * d_second[j];
        }
    }
    for (std::size_t j = 0; j < 32; ++j) {
        out[j] = static_cast<float>(sums[j]);
    }
}

}  // namespace sonvara::mp3
