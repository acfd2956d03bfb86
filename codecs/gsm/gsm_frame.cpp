#include "codecs/gsm/gsm_frame.h"

#include <algorithm>
#include <cstring>

#include "codecs/gsm/gsm_arithmetic.h"
#include "codecs/gsm/gsm_tables.h"

namespace sonvara {
namespace {

using gsm::Add;
using gsm::kFrameSamples;
using gsm::kSubFrameSamples;
using gsm::Long;
using gsm::MultR;
using gsm::Saturate;
using gsm::Sub;
using gsm::Word;

// The long-term history: the last 120 reconstructed residual samples, oldest first, so that the
// sample `lag` places before sub-frame sample k is history[120 + k − lag].
constexpr int kHistory = 120;
constexpr int kMinLag = 40;
constexpr int kMaxLag = 120;
constexpr int kPulses = 13;

// ---- Encoder: LPC analysis (GSM 06.10 clauses 4.2.4 to 4.2.7) ----

// Autocorrelation of the 160 samples for lags 0..8. The samples are scaled down first so that
// no sum can overflow (|s| ≤ 2048 afterwards, so 2·Σ s² < 2^31), and scaled back up afterwards:
// the short-term analysis filter then works on the samples with the low bits the scaling
// rounded away, as the standard has it.
void Autocorrelation(Word s[kFrameSamples], Long acf[9]) {
    Word smax = 0;
    for (int k = 0; k < kFrameSamples; ++k) {
        smax = std::max(smax, gsm::Abs(s[k]));
    }
    const int scalauto = smax == 0 ? 0 : 4 - gsm::Norm(Long{smax} << 16);
    if (scalauto > 0) {
        const auto factor = static_cast<Word>(16384 >> (scalauto - 1));
        for (int k = 0; k < kFrameSamples; ++k) {
            s[k] = MultR(s[k], factor);
        }
    }
    for (int lag = 0; lag <= 8; ++lag) {
        std::int32_t sum = 0;
        for (int i = lag; i < kFrameSamples; ++i) {
            sum += std::int32_t{s[i]} * s[i - lag];
        }
        acf[lag] = 2 * sum;
    }
    if (scalauto > 0) {
        for (int k = 0; k < kFrameSamples; ++k) {
            s[k] = Saturate(std::int32_t{s[k]} * (1 << scalauto));
        }
    }
}

// Schur's recursion from the autocorrelation to the reflection coefficients r[1..8]; the
// coefficients after an unstable step stay 0.
void ReflectionCoefficients(const Long acf[9], Word r[8]) {
    std::fill_n(r, 8, Word{0});
    if (acf[0] == 0) {
        return;
    }
    const int shift = gsm::Norm(acf[0]);
    Word p[9];
    Word k[9];
    for (int i = 0; i <= 8; ++i) {
        // |acf[i]| ≤ acf[0], so the normalising shift keeps every value within 32 bits.
        p[i] = static_cast<Word>((std::int64_t{acf[i]} * (std::int64_t{1} << shift)) >> 16);
        k[i] = p[i];
    }
    for (int n = 1; n <= 8; ++n) {
        if (p[0] < gsm::Abs(p[1])) {
            return;
        }
        Word rn = gsm::Div(gsm::Abs(p[1]), p[0]);
        if (p[1] > 0) {
            rn = Sub(0, rn);
        }
        r[n - 1] = rn;
        if (n == 8) {
            return;
        }
        p[0] = Add(p[0], MultR(p[1], rn));
        for (int m = 1; m <= 8 - n; ++m) {
            p[m] = Add(p[m + 1], MultR(k[m], rn));
            k[m] = Add(k[m], MultR(p[m + 1], rn));
        }
    }
}

// The piecewise-linear approximation of the log-area ratio of each reflection coefficient.
void ReflectionToLar(Word r[8]) {
    for (int i = 0; i < 8; ++i) {
        Word temp = gsm::Abs(r[i]);
        if (temp < 22118) {
            temp = static_cast<Word>(temp >> 1);
        } else if (temp < 31130) {
            temp = static_cast<Word>(temp - 11059);
        } else {
            temp = static_cast<Word>((temp - 26112) * 4);
        }
        r[i] = r[i] < 0 ? static_cast<Word>(-temp) : temp;
    }
}

void QuantizeLar(const Word lar[8], std::array<std::uint8_t, 8>& larc) {
    for (std::size_t i = 0; i < 8; ++i) {
        Word temp = gsm::Mult(gsm::kLarA[i], lar[i]);
        temp = Add(temp, gsm::kLarB[i]);
        temp = Add(temp, 256);  // rounds the division by 512
        const int coded = std::clamp(temp >> 9, int{gsm::kLarMic[i]}, int{gsm::kLarMac[i]});
        larc[i] = static_cast<std::uint8_t>(coded - gsm::kLarMic[i]);
    }
}

// ---- LAR decoding, interpolation and the short-term filters (clauses 4.2.8 to 4.2.10, 4.3.4)

void DecodeLar(const std::array<std::uint8_t, 8>& larc, Word larpp[8]) {
    for (std::size_t i = 0; i < 8; ++i) {
        const int range = gsm::kLarMac[i] - gsm::kLarMic[i];  // all ones: the field's bits
        const int coded = (larc[i] & range) + gsm::kLarMic[i];
        Word temp = Sub(static_cast<Word>(coded * 1024), static_cast<Word>(gsm::kLarB[i] * 2));
        temp = MultR(gsm::kLarInvA[i], temp);
        larpp[i] = Add(temp, temp);
    }
}

// The four stretches of a frame over which the LARs are interpolated between the previous
// frame's and this frame's: samples 0..12, 13..26, 27..39 and 40..159.
constexpr int kSegmentStart[5] = {0, 13, 27, 40, kFrameSamples};

void InterpolatedReflection(int segment, const Word previous[8], const Word current[8],
                            Word rp[8]) {
    for (int i = 0; i < 8; ++i) {
        const Word a = previous[i];
        const Word b = current[i];
        Word larp = b;
        switch (segment) {
            case 0:
                larp = Add(Add(static_cast<Word>(a >> 2), static_cast<Word>(b >> 2)),
                           static_cast<Word>(a >> 1));
                break;
            case 1:
                larp = Add(static_cast<Word>(a >> 1), static_cast<Word>(b >> 1));
                break;
            case 2:
                larp = Add(Add(static_cast<Word>(a >> 2), static_cast<Word>(b >> 2)),
                           static_cast<Word>(b >> 1));
                break;
            default:
                break;
        }
        // Back from the log-area ratio to a reflection coefficient.
        Word temp = gsm::Abs(larp);
        if (temp < 11059) {
            temp = static_cast<Word>(temp * 2);
        } else if (temp < 20070) {
            temp = Add(temp, 11059);
        } else {
            temp = Add(static_cast<Word>(temp >> 2), 26112);
        }
        rp[i] = larp < 0 ? Sub(0, temp) : temp;
    }
}

// The lattice analysis filter: s in, the short-term residual d out (in place).
void ShortTermAnalysisFilter(const Word rp[8], Word* s, int count, std::array<Word, 8>& u) {
    for (int k = 0; k < count; ++k) {
        Word di = s[k];
        Word sav = di;
        for (std::size_t i = 0; i < 8; ++i) {
            const Word temp = Add(u[i], MultR(rp[i], di));
            di = Add(di, MultR(rp[i], u[i]));
            u[i] = sav;
            sav = temp;
        }
        s[k] = di;
    }
}

// The lattice synthesis filter: the long-term residual in, the reconstructed signal out.
void ShortTermSynthesisFilter(const Word rrp[8], const Word* in, Word* out, int count,
                              std::array<Word, 9>& v) {
    for (int k = 0; k < count; ++k) {
        Word sri = in[k];
        for (int i = 8; i >= 1; --i) {
            const auto c = static_cast<std::size_t>(i - 1);
            sri = Sub(sri, MultR(rrp[c], v[c]));
            v[c + 1] = Add(v[c], MultR(rrp[c], sri));
        }
        out[k] = sri;
        v[0] = sri;
    }
}

// ---- Long-term prediction (clauses 4.2.11, 4.2.12, 4.3.2) ----

// Σ a[k]·b[k] over a sub-frame. Every caller keeps |a| ≤ 512 or both below 2^12, so the sum of
// 40 products stays far below 2^31; the loop vectorises into 16-bit multiply-adds.
inline std::int32_t Dot40(const Word* a, const Word* b) {
    std::int32_t sum = 0;
    for (int k = 0; k < kSubFrameSamples; ++k) {
        sum += std::int32_t{a[k]} * b[k];
    }
    return sum;
}

// The lag with the largest cross-correlation between the residual and the history, and the
// quantised gain of the prediction from it.
void LongTermParameters(const Word d[kSubFrameSamples], const Word history[kHistory],
                        std::uint8_t& nc, std::uint8_t& bc) {
    Word dmax = 0;
    for (int k = 0; k < kSubFrameSamples; ++k) {
        dmax = std::max(dmax, gsm::Abs(d[k]));
    }
    const int temp = dmax == 0 ? 0 : gsm::Norm(Long{dmax} << 16);
    const int scal = temp > 6 ? 0 : 6 - temp;
    Word wt[kSubFrameSamples];
    for (int k = 0; k < kSubFrameSamples; ++k) {
        wt[k] = static_cast<Word>(d[k] >> scal);  // |wt| ≤ 512
    }
    // The standard compares doubled sums; doubling never saturates here, so the order is the
    // same. Only a positive correlation moves the lag from 40.
    std::int32_t best = 0;
    int lag = kMinLag;
    for (int lambda = kMinLag; lambda <= kMaxLag; ++lambda) {
        const std::int32_t sum = Dot40(wt, history + kHistory - lambda);
        if (sum > best) {
            best = sum;
            lag = lambda;
        }
    }
    nc = static_cast<std::uint8_t>(lag);
    const Long l_max = (2 * best) >> (6 - scal);

    Word shifted[kSubFrameSamples];
    const Word* predicted = history + kHistory - lag;
    for (int k = 0; k < kSubFrameSamples; ++k) {
        shifted[k] = static_cast<Word>(predicted[k] >> 3);
    }
    const Long l_power = 2 * Dot40(shifted, shifted);
    if (l_max <= 0) {
        bc = 0;
        return;
    }
    if (l_max >= l_power) {
        bc = 3;
        return;
    }
    const int norm = gsm::Norm(l_power);
    const auto r = static_cast<Word>((std::int64_t{l_max} << norm) >> 16);
    const auto s = static_cast<Word>((std::int64_t{l_power} << norm) >> 16);
    std::uint8_t index = 0;
    while (index < 3 && r > gsm::Mult(s, gsm::kLtpDecisionLevels[index])) {
        ++index;
    }
    bc = index;
}

// dpp: the prediction of the sub-frame from the history at lag `lag` with the gain of `bc`.
void LongTermPrediction(const Word history[kHistory], int lag, int bc, Word dpp[kSubFrameSamples]) {
    const Word gain = gsm::kLtpGains[static_cast<std::size_t>(bc & 3)];
    const Word* predicted = history + kHistory - lag;
    for (int k = 0; k < kSubFrameSamples; ++k) {
        dpp[k] = MultR(gain, predicted[k]);
    }
}

// Appends a reconstructed sub-frame to the history, dropping its oldest 40 samples.
void PushHistory(Word history[kHistory], const Word sub_frame[kSubFrameSamples]) {
    std::memmove(history, history + kSubFrameSamples, (kHistory - kSubFrameSamples) * sizeof(Word));
    std::memcpy(history + kHistory - kSubFrameSamples, sub_frame, kSubFrameSamples * sizeof(Word));
}

// ---- Regular pulse excitation (clauses 4.2.13 to 4.2.17, 4.3.1) ----

// The weighting filter: the residual convolved with the 11-tap response, centred, with zeros
// beyond the sub-frame.
void WeightingFilter(const Word e[kSubFrameSamples], Word x[kSubFrameSamples]) {
    Word padded[kSubFrameSamples + 10] = {};
    std::copy_n(e, kSubFrameSamples, padded + 5);
    for (int k = 0; k < kSubFrameSamples; ++k) {
        std::int32_t sum = 0;  // Σ|H| = 24798, so |sum| < 2^30
        for (std::size_t i = 0; i < gsm::kWeightingFilter.size(); ++i) {
            sum += std::int32_t{padded[static_cast<std::size_t>(k) + i]} * gsm::kWeightingFilter[i];
        }
        // The response is in units of 2^-13; 4096 rounds the division.
        x[k] = Saturate((sum + 4096) >> 13);
    }
}

// The grid (every third sample from offset 0..3) with the most energy.
std::uint8_t GridSelection(const Word x[kSubFrameSamples], Word xm[kPulses]) {
    Long best = 0;
    int grid = 0;
    for (int m = 0; m < 4; ++m) {
        Long energy = 0;
        for (int i = 0; i < kPulses; ++i) {
            const Word scaled = static_cast<Word>(x[m + 3 * i] >> 2);
            energy += 2 * std::int32_t{scaled} * scaled;  // 13 · 2 · 2^26 < 2^31
        }
        if (energy > best) {
            best = energy;
            grid = m;
        }
    }
    for (int i = 0; i < kPulses; ++i) {
        xm[i] = x[grid + 3 * i];
    }
    return static_cast<std::uint8_t>(grid);
}

// The exponent and the mantissa (0..7, an index into the mantissa tables) of a coded block
// maximum.
void ExponentMantissa(int xmaxc, int& exponent, int& mantissa) {
    exponent = xmaxc > 15 ? (xmaxc >> 3) - 1 : 0;
    mantissa = xmaxc - (exponent << 3);
    if (mantissa == 0) {
        exponent = -4;
        mantissa = 7;
        return;
    }
    while (mantissa <= 7) {
        mantissa = 2 * mantissa + 1;
        --exponent;
    }
    mantissa -= 8;
}

// Codes the block maximum (a 3-bit mantissa and an exponent in 6 bits) and the 13 pulses
// relative to it (3 bits each).
void ApcmQuantize(const Word xm[kPulses], gsm::SubFrameParameters& sub, int& exponent,
                  int& mantissa) {
    Word xmax = 0;
    for (int i = 0; i < kPulses; ++i) {
        xmax = std::max(xmax, gsm::Abs(xm[i]));
    }
    // The exponent: how many of six halvings xmax / 512 takes to reach 0 or below.
    int exp = 0;
    int temp = xmax >> 9;
    for (int i = 0; i < 6 && temp > 0; ++i) {
        temp >>= 1;
        ++exp;
    }
    sub.xmaxc = static_cast<std::uint8_t>(
        Add(static_cast<Word>(xmax >> (exp + 5)), static_cast<Word>(exp << 3)));
    ExponentMantissa(sub.xmaxc, exponent, mantissa);
    const int shift = 6 - exponent;  // 0..10; |xm| << shift stays below 2^15
    const Word inverse = gsm::kApcmInverseMantissa[static_cast<std::size_t>(mantissa)];
    for (std::size_t i = 0; i < kPulses; ++i) {
        const Word normalised = Saturate(std::int32_t{xm[i]} * (1 << shift));
        sub.xmc[i] = static_cast<std::uint8_t>((gsm::Mult(normalised, inverse) >> 12) + 4);
    }
}

// The pulses back from their codes, placed on their grid in a sub-frame of zeros.
void ApcmDequantize(const gsm::SubFrameParameters& sub, int exponent, int mantissa,
                    Word ep[kSubFrameSamples]) {
    const Word factor = gsm::kApcmMantissa[static_cast<std::size_t>(mantissa)];
    const int shift = 6 - exponent;  // 0..10
    const Word rounding = shift > 0 ? static_cast<Word>(1 << (shift - 1)) : Word{0};
    std::fill_n(ep, kSubFrameSamples, Word{0});
    const int grid = sub.mc & 3;
    for (std::size_t i = 0; i < kPulses; ++i) {
        const auto level = static_cast<Word>(((sub.xmc[i] & 7) * 2 - 7) * 4096);
        const Word temp = Add(MultR(factor, level), rounding);
        ep[grid + 3 * static_cast<int>(i)] = static_cast<Word>(temp >> shift);
    }
}

}  // namespace

// ---- The codec ----

gsm::FrameParameters LGSMFrame::Encode(const std::int16_t in[kFrameSamples]) {
    gsm::FrameParameters frame;
    Word s[kFrameSamples];
    std::copy_n(in, kFrameSamples, s);

    Long acf[9];
    Autocorrelation(s, acf);
    Word lar[8];
    ReflectionCoefficients(acf, lar);
    ReflectionToLar(lar);
    QuantizeLar(lar, frame.larc);

    Word larpp[8];
    DecodeLar(frame.larc, larpp);
    for (int segment = 0; segment < 4; ++segment) {
        Word rp[8];
        InterpolatedReflection(segment, encoder_.larpp_previous.data(), larpp, rp);
        const int start = kSegmentStart[segment];
        ShortTermAnalysisFilter(rp, s + start, kSegmentStart[segment + 1] - start, encoder_.u);
    }
    std::copy_n(larpp, 8, encoder_.larpp_previous.begin());

    // s now holds the short-term residual d.
    for (int j = 0; j < 4; ++j) {
        gsm::SubFrameParameters& sub = frame.sub[static_cast<std::size_t>(j)];
        const Word* d = s + j * kSubFrameSamples;
        Word* history = encoder_.dp.data();
        LongTermParameters(d, history, sub.nc, sub.bc);
        Word dpp[kSubFrameSamples];
        LongTermPrediction(history, sub.nc, sub.bc, dpp);
        Word e[kSubFrameSamples];
        for (int k = 0; k < kSubFrameSamples; ++k) {
            e[k] = Sub(d[k], dpp[k]);
        }
        Word x[kSubFrameSamples];
        WeightingFilter(e, x);
        Word xm[kPulses];
        sub.mc = GridSelection(x, xm);
        int exponent = 0;
        int mantissa = 0;
        ApcmQuantize(xm, sub, exponent, mantissa);
        // The encoder's own reconstruction of the residual, as the decoder will make it.
        Word ep[kSubFrameSamples];
        ApcmDequantize(sub, exponent, mantissa, ep);
        for (int k = 0; k < kSubFrameSamples; ++k) {
            ep[k] = Add(ep[k], dpp[k]);
        }
        PushHistory(history, ep);
    }
    return frame;
}

void LGSMFrame::Decode(const gsm::FrameParameters& frame, std::int16_t out[kFrameSamples]) {
    Word residual[kFrameSamples];
    for (int j = 0; j < 4; ++j) {
        const gsm::SubFrameParameters& sub = frame.sub[static_cast<std::size_t>(j)];
        int exponent = 0;
        int mantissa = 0;
        ExponentMantissa(sub.xmaxc & 63, exponent, mantissa);
        Word erp[kSubFrameSamples];
        ApcmDequantize(sub, exponent, mantissa, erp);

        // A lag outside 40..120 (a damaged frame) repeats the last good one.
        const int lag = sub.nc >= kMinLag && sub.nc <= kMaxLag ? sub.nc : decoder_.nrp;
        decoder_.nrp = lag;
        Word drpp[kSubFrameSamples];
        LongTermPrediction(decoder_.drp.data(), lag, sub.bc, drpp);
        Word* drp = residual + j * kSubFrameSamples;
        for (int k = 0; k < kSubFrameSamples; ++k) {
            drp[k] = Add(erp[k], drpp[k]);
        }
        PushHistory(decoder_.drp.data(), drp);
    }

    Word larpp[8];
    DecodeLar(frame.larc, larpp);
    for (int segment = 0; segment < 4; ++segment) {
        Word rrp[8];
        InterpolatedReflection(segment, decoder_.larpp_previous.data(), larpp, rrp);
        const int start = kSegmentStart[segment];
        ShortTermSynthesisFilter(rrp, residual + start, out + start,
                                 kSegmentStart[segment + 1] - start, decoder_.v);
    }
    std::copy_n(larpp, 8, decoder_.larpp_previous.begin());
}

void LGSMFrame::EncodeNormal(const std::int16_t in[kFrameSamples],
                             std::uint8_t out[gsm::kFrameBytes]) {
    gsm::PackFrame(Encode(in), out);
}

void LGSMFrame::DecodeNormal(const std::uint8_t in[gsm::kFrameBytes],
                             std::int16_t out[kFrameSamples]) {
    Decode(gsm::UnpackFrame(in), out);
}

void LGSMFrame::EncodeSamples(const std::int32_t in[kFrameSamples],
                              std::uint8_t out[gsm::kFrameBytes]) {
    Word codec_input[kFrameSamples];
    PreFilter& f = pre_filter_;
    for (int k = 0; k < kFrameSamples; ++k) {
        // Offset compensation, a high-pass with its pole at 1 − 1/1024, on the internal scale.
        f.accumulator += (std::int64_t{in[k]} - f.previous_input) * 1024;
        const std::int64_t compensated = (f.accumulator + 512) >> 10;
        f.accumulator -= compensated;
        f.previous_input = in[k];
        // Pre-emphasis with 880/1024 and the step from the internal scale (16-bit full scale
        // at 2^19) to the codec's input (16-bit full scale at 2^14).
        const std::int64_t emphasised =
            (compensated + 16 - ((f.previous_compensated * 880 + 512) >> 10)) >> 5;
        f.previous_compensated = compensated;
        codec_input[k] = static_cast<Word>(std::clamp<std::int64_t>(emphasised, -32768, 32767));
    }
    EncodeNormal(codec_input, out);
}

void LGSMFrame::DecodeSamples(const std::uint8_t in[gsm::kFrameBytes],
                              std::int32_t out[kFrameSamples]) {
    Word sr[kFrameSamples];
    DecodeNormal(in, sr);
    std::int64_t y = post_filter_;
    for (int k = 0; k < kFrameSamples; ++k) {
        // De-emphasis with 880/1024, straight onto the internal scale (32 = 2 · 16: the
        // standard's upscaling and the internal scale's four extra bits).
        y = 32 * std::int64_t{sr[k]} + ((y * 880 + 512) >> 10);
        y = std::clamp<std::int64_t>(y, -kPeak, kPeak);
        out[k] = static_cast<std::int32_t>(y);
    }
    post_filter_ = static_cast<std::int32_t>(y);
}

void GsmStandardPreprocessor::Process(const std::int16_t in[kFrameSamples],
                                      std::int16_t out[kFrameSamples]) {
    for (int k = 0; k < kFrameSamples; ++k) {
        // Downscaling to the 13 bits the standard's input carries.
        const auto so = static_cast<Word>((in[k] >> 3) * 4);
        // Offset compensation: a high-pass with its pole at 32735/32768, in double precision.
        const Word s1 = Sub(so, z1_);
        z1_ = so;
        Long l_s2 = Long{s1} * 32768;
        const auto msp = static_cast<Word>(l_z2_ >> 15);
        const auto lsp = static_cast<Word>(l_z2_ - Long{msp} * 32768);
        l_s2 = gsm::LAdd(l_s2, MultR(lsp, 32735));
        l_z2_ = gsm::LAdd(Long{msp} * 32735, l_s2);
        const Word sof = Saturate(gsm::LAdd(l_z2_, 16384) >> 15);
        // Pre-emphasis.
        out[k] = Add(sof, MultR(mp_, -28180));
        mp_ = sof;
    }
}

void GsmStandardPostprocessor::Process(const std::int16_t in[kFrameSamples],
                                       std::int16_t out[kFrameSamples]) {
    for (int k = 0; k < kFrameSamples; ++k) {
        msr_ = Add(in[k], MultR(msr_, 28180));             // de-emphasis
        out[k] = static_cast<Word>(Add(msr_, msr_) & ~7);  // upscaling, truncation to 13 bits
    }
}

}  // namespace sonvara
