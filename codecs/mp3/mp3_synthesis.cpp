#include "codecs/mp3/mp3_synthesis.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <numbers>

#include "codecs/mp3/mp3_lanes.h"
#include "codecs/mp3/mp3_tables.h"

namespace sonvara::mp3 {
namespace {

struct SynthesisTables {
    std::array<std::array<double, 32>, 64> n{};
    std::array<float, 512> d{};
    // 1 / (2 cos((2k + 1)π / 2m)) for m = 2, 4, .. 32 at [log2(m) - 1][k].
    std::array<std::array<float, 16>, 5> dct_scale{};
};

const SynthesisTables& BuiltSynthesisTables() {
    static const SynthesisTables tables = [] {
        SynthesisTables t;
        for (int i = 0; i < 64; ++i) {
            for (int k = 0; k < 32; ++k) {
                t.n[static_cast<std::size_t>(i)][static_cast<std::size_t>(k)] =
                    std::cos((16 + i) * (2 * k + 1) * std::numbers::pi / 64);
            }
        }
        for (std::size_t i = 0; i < 512; ++i) {
            t.d[i] = static_cast<float>(std::ldexp(kSynthesisWindow[i], -16));
        }
        for (std::size_t level = 0; level < t.dct_scale.size(); ++level) {
            const auto m = static_cast<double>(std::size_t{2} << level);
            for (std::size_t k = 0; k < (std::size_t{1} << level); ++k) {
                const double angle =
                    (2.0 * static_cast<double>(k) + 1.0) * std::numbers::pi / (2.0 * m);
                t.dct_scale[level][k] = static_cast<float>(1.0 / (2.0 * std::cos(angle)));
            }
        }
        return t;
    }();
    return tables;
}

// DCT-II of N values in place: x[j] = Σ x[k] cos(j(2k + 1)π / 2N).
// The even outputs are the half-size DCT of x[k] + x[N-1-k]; with
// y[k] = (x[k] - x[N-1-k]) / (2 cos((2k + 1)π / 2N)) and Y its half-size DCT, odd output 2j + 1
// is Y[j] + Y[j + 1] (Y[N/2] = 0). N is a template argument so that every level unrolls; T is
// float or Lanes.
template <std::size_t N, typename T>
[[gnu::always_inline]] inline void Dct2(T* x, const SynthesisTables& t) {
    if constexpr (N > 1) {
        constexpr std::size_t kHalf = N / 2;
        constexpr std::size_t kLevel = std::bit_width(N) - 2;
        const std::array<float, 16>& scale = t.dct_scale[kLevel];
        T even[kHalf];
        T odd[kHalf];
        for (std::size_t k = 0; k < kHalf; ++k) {
            even[k] = x[k] + x[N - 1 - k];
            odd[k] = (x[k] - x[N - 1 - k]) * scale[k];
        }
        Dct2<kHalf>(even, t);
        Dct2<kHalf>(odd, t);
        for (std::size_t j = 0; j + 1 < kHalf; ++j) {
            x[2 * j] = even[j];
            x[2 * j + 1] = odd[j] + odd[j + 1];
        }
        x[N - 2] = even[kHalf - 1];
        x[N - 1] = odd[kHalf - 1];
    }
}

// The 64 values of V from the DCT's 32: V[i] is C[16 + i] for i < 16, zero at 16, -C[48 - i] up
// to 47 and -C[i - 48] above. T is float or Lanes.
template <typename T>
void SpreadMatrix(const T c[32], T v[64]) {
    for (std::size_t i = 0; i < 16; ++i) {
        v[i] = c[16 + i];
    }
    v[16] = T{};
    for (std::size_t i = 17; i < 48; ++i) {
        v[i] = -c[48 - i];
    }
    for (std::size_t i = 48; i < 64; ++i) {
        v[i] = -c[i - 48];
    }
}

// U[64i + j] = V[128i + j], U[64i + 32 + j] = V[128i + 96 + j];
// out[j] = Σ U[j + 32i] D[j + 32i] over i = 0..15, V being the ring `v` from `offset` on. The
// offset is a multiple of 64, so each run of 32 values of V lies whole in the ring. Built for
// AVX2 (eight sums at once, the same operations) and any x86-64, chosen when the program starts.
__attribute__((target_clones("avx2", "default"))) void WindowSums(const float* v,
                                                                  std::size_t offset,
                                                                  const float* d, float* out) {
    float sums[32] = {};
    for (std::size_t i = 0; i < 8; ++i) {
        const float* first = v + (offset + 128 * i) % PolyphaseSynthesis::kRing;
        const float* second = v + (offset + 128 * i + 96) % PolyphaseSynthesis::kRing;
        const float* d_first = d + 64 * i;
        const float* d_second = d_first + 32;
        for (std::size_t j = 0; j < 32; ++j) {
            sums[j] += first[j] * d_first[j] + second[j] * d_second[j];
        }
    }
    std::copy_n(sums, 32, out);
}

// Matrixes the eight slots from `slots` on, one per lane, into the ring `ring` (of
// PolyphaseSynthesis::kRing values) as the eight slots that follow the one at `offset`. The
// ring holds 32 slots: the seven written ahead of a window sum replace slots older than the 16
// it reads. Built for AVX2 (eight lanes in one register) and any x86-64 (two).
__attribute__((target_clones("avx2", "default"))) void MatrixEight(
    const std::array<float, 32>* slots, float* ring, std::size_t offset, const SynthesisTables& t) {
    // Eight slots' subbands, turned so that lane l holds slot l.
    Lanes c[32];
    for (std::size_t k = 0; k < 32; k += kLanes) {
        for (std::size_t lane = 0; lane < kLanes; ++lane) {
            std::memcpy(&c[k + lane], slots[lane].data() + k, sizeof(Lanes));
        }
        Transpose(c + k);
    }
    Dct2<32>(c, t);
    Lanes v[64];
    SpreadMatrix(c, v);
    // Turned back, v's lane l is slot l's V.
    constexpr std::size_t kRing = PolyphaseSynthesis::kRing;
    for (std::size_t i = 0; i < 64; i += kLanes) {
        Transpose(v + i);
        for (std::size_t lane = 0; lane < kLanes; ++lane) {
            const std::size_t at = (offset + kRing - 64 * (lane + 1)) % kRing;
            std::memcpy(ring + at + i, &v[i + lane], sizeof(Lanes));
        }
    }
}

}  // namespace

void PolyphaseSynthesis::Matrix(const float subbands[32], float v[64]) {
    float c[32];
    std::copy_n(subbands, 32, c);
    Dct2<32>(c, BuiltSynthesisTables());
    SpreadMatrix(c, v);
}

void PolyphaseSynthesis::MatrixDirect(const float subbands[32], double v[64]) {
    const SynthesisTables& t = BuiltSynthesisTables();
    for (std::size_t i = 0; i < 64; ++i) {
        double sum = 0.0;
        for (std::size_t k = 0; k < 32; ++k) {
            sum += t.n[i][k] * subbands[k];
        }
        v[i] = sum;
    }
}

void PolyphaseSynthesis::Synthesize(const float subbands[32], float out[32]) {
    offset_ = (offset_ + kRing - 64) % kRing;
    Matrix(subbands, v_.data() + offset_);
    Window(out);
}

void PolyphaseSynthesis::Synthesize(std::span<const std::array<float, 32>> slots, float* out) {
    std::size_t slot = 0;
    for (; slot + kLanes <= slots.size(); slot += kLanes) {
        MatrixEight(slots.data() + slot, v_.data(), offset_, BuiltSynthesisTables());
        for (std::size_t lane = 0; lane < kLanes; ++lane) {
            offset_ = (offset_ + kRing - 64) % kRing;
            Window(out + 32 * (slot + lane));
        }
    }
    for (; slot < slots.size(); ++slot) {
        Synthesize(slots[slot].data(), out + 32 * slot);
    }
}

void PolyphaseSynthesis::Window(float out[32]) const {
    WindowSums(v_.data(), offset_, BuiltSynthesisTables().d.data(), out);
}

}  // namespace sonvara::mp3
