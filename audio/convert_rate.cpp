#include "audio/convert_rate.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace sonvara {
namespace {

// The modified Bessel function I0 by its series up to the sixth power of y²/4.
double BesselI0(double y) {
    double sum = 1.0;
    double term = 1.0;
    for (int k = 1; k <= 6; ++k) {
        term *= y * y / (4.0 * k * k);
        sum += term;
    }
    return sum;
}

// A frame's sum of products scaled back by the block shift with rounding.
//
// The sum is formed in 64 bits and limited to the 32-bit range. A 32-bit sum would wrap when a
// block's loudest stretch is interpolated slightly above its sample peak (intersample peaks,
// filter overshoot), which turns a peak into a full-scale click of the opposite sign; wherever
// the 32-bit sum does not overflow the result is the same.
Sample ScaleBack(std::int64_t sum, int shift) {
    // At the largest shift the halving is the whole scaling, and nothing is left to round.
    const std::int32_t rounding = shift < 15 ? std::int32_t{1} << (14 - shift) : 0;
    const auto limited =
        static_cast<std::int32_t>(std::clamp<std::int64_t>(sum, INT32_MIN, INT32_MAX));
    return ((limited >> 1) + rounding) >> (15 - shift);
}

// One channel of `frames` output frames: for each, the sum of the 64 products of its phase row
// with the input from its position on. This plain form serves the blocks whose scaled samples do
// not all fit 16 bits (a block at the shift limit, or one whose peak rounds up to +32768).
void ConvertChannel(const std::int32_t* taps, int tap_stride, const Sample* input,
                    const std::int32_t* positions, const std::int32_t* phases, std::int32_t frames,
                    int channels, int shift, Sample* out) {
    for (std::int32_t f = 0; f < frames; ++f) {
        const std::int32_t* row = taps + phases[f] * tap_stride;
        const Sample* x = input + positions[f];
        std::int64_t sum = 0;
        for (int j = 0; j < 64; ++j) {
            sum += std::int64_t{row[j]} * x[j];
        }
        out[f * channels] = ScaleBack(sum, shift);
    }
}

// The same sums on 16-bit samples, every channel of a frame at once. Each tap t is split into
// t = 256 × high + low with low in [0, 255], so that both halves fit 16 bits and each of the two
// sums of 64 products stays within 32 bits (|x| ≤ 32768, |high| ≤ 256, low ≤ 255): the
// processor's 16-bit multiply-and-add pairs compute them exactly, and 256 × high-sum + low-sum
// is the 64-bit sum of the plain path. Built for AVX-512, AVX2 and any x86-64, chosen when the
// program starts.
__attribute__((target_clones("arch=x86-64-v4", "avx2", "default"))) void ConvertFramesNarrow(
    const std::int16_t* high_taps, const std::int16_t* low_taps, int tap_stride,
    const std::int16_t* const* planes, const std::int32_t* positions, const std::int32_t* phases,
    std::int32_t frames, int channels, int shift, Sample* out) {
    for (std::int32_t f = 0; f < frames; ++f) {
        const std::int16_t* high = high_taps + phases[f] * tap_stride;
        const std::int16_t* low = low_taps + phases[f] * tap_stride;
        for (int c = 0; c < channels; ++c) {
            const std::int16_t* x = planes[c] + positions[f];
            std::int32_t high_sum = 0;
            std::int32_t low_sum = 0;
            for (int j = 0; j < 64; ++j) {
                high_sum += std::int32_t{high[j]} * x[j];
                low_sum += std::int32_t{low[j]} * x[j];
            }
            out[f * channels + c] = ScaleBack(std::int64_t{high_sum} * 256 + low_sum, shift);
        }
    }
}

struct Extremes {
    Sample low = INT32_MAX;
    Sample high = INT32_MIN;
};

__attribute__((target_clones("avx2", "default"))) Extremes FindExtremes(const Sample* samples,
                                                                        std::int32_t count) {
    Extremes extremes;
    for (std::int32_t i = 0; i < count; ++i) {
        extremes.low = std::min(extremes.low, samples[i]);
        extremes.high = std::max(extremes.high, samples[i]);
    }
    return extremes;
}

// Channel `channel` of an interleaved block into its plane, with the plane's new extremes.
__attribute__((target_clones("avx2", "default"))) Extremes Deinterleave(const Sample* block,
                                                                        int channels, int channel,
                                                                        Sample* plane) {
    Extremes extremes;
    for (std::int32_t f = 0; f < kBlockFrames; ++f) {
        const Sample x = block[f * channels + channel];
        plane[f] = x;
        extremes.low = std::min(extremes.low, x);
        extremes.high = std::max(extremes.high, x);
    }
    return extremes;
}

// Every sample shifted down by `shift` with rounding (the addition wraps as the 32-bit sum
// always has), kept in 32 bits and copied to 16; the extremes of the results say whether the
// 16-bit copy is exact.
__attribute__((target_clones("avx2", "default"))) Extremes ScaleDown(Sample* samples,
                                                                     std::int16_t* narrow,
                                                                     std::int32_t count,
                                                                     int shift) {
    const std::uint32_t rounding = shift > 0 ? 1u << (shift - 1) : 0u;
    Extremes extremes;
    for (std::int32_t i = 0; i < count; ++i) {
        const Sample x =
            static_cast<Sample>(static_cast<std::uint32_t>(samples[i]) + rounding) >> shift;
        samples[i] = x;
        narrow[i] = static_cast<std::int16_t>(x);
        extremes.low = std::min(extremes.low, x);
        extremes.high = std::max(extremes.high, x);
    }
    return extremes;
}

}  // namespace

RateRatio FindRateRatio(double ratio) {
    double best = ratio;
    int taken = 1;
    for (int q = 1; q <= 255; ++q) {
        double p = std::floor(q * ratio + 0.5);
        double error = std::fabs(ratio - p / q);
        if (error < best) {
            best = error;
            taken = q;
            if (error < 0.001) {
                break;
            }
        }
    }
    return {taken, static_cast<int>(std::floor(taken * ratio + 0.5))};
}

LSRCConvertRate::LSRCConvertRate(LSoundSourceRef upstream, std::int32_t target_rate, bool pre_stage)
    : LSoundSourceBase(target_rate, upstream->GetChannels(),
                       upstream->GetMaxSample() <= 0x100000 ? upstream->GetMaxSample() * 2
                                                            : upstream->GetMaxSample()),
      upstream_(std::move(upstream)) {
    FollowErrorsOf(*upstream_);
    if (GetChannels() > 2) {
        SetError();
    }
    const double source = upstream_->GetSampleRate();
    const double target = GetSampleRate();
    ratio_ = FindRateRatio(source / target);
    if (ratio_.p < 1) {
        // Upsampling by more than 510 times: no P/Q with Q ≤ 255 steps forward at all.
        SetError();
        ratio_.p = 1;
    }
    if (source < target) {
        DesignFilter(0.975, 2.12);
    } else {
        DesignFilter(target / source - (pre_stage ? 0.09375 : 0.046875), 4.538);
    }
    for (int c = 0; c < GetChannels() && c < 2; ++c) {
        input_[c].assign(kBufferFrames, 0);
        narrow_input_[c].assign(kBufferFrames, 0);
    }
    block_.resize(static_cast<std::size_t>(GetChannels()) * kBlockFrames);
}

void LSRCConvertRate::DesignFilter(double cutoff, double beta) {
    const int q = ratio_.q;
    taps_.assign(static_cast<std::size_t>(q) * kTapStride, 0);
    const double window_scale = BesselI0(beta);
    for (int i = 0; i < q; ++i) {
        for (int j = 0; j < kTaps; ++j) {
            const double x = (j - 31) - static_cast<double>(i) / q;
            double value;
            if (x == 0.0) {
                value = cutoff * 65536.0;
            } else {
                const double angle = std::numbers::pi * cutoff * x;
                value = std::sin(angle) / angle * cutoff * 65536.0 / window_scale *
                        BesselI0(beta * std::sqrt(1.0 - x * x / 1024.0));
            }
            taps_[i * kTapStride + j] = static_cast<std::int32_t>(std::lround(value));
        }
    }
    // Every tap lies within ±cutoff × 65536, so the high halves stay within ±256.
    high_taps_.resize(taps_.size());
    low_taps_.resize(taps_.size());
    for (std::size_t i = 0; i < taps_.size(); ++i) {
        high_taps_[i] = static_cast<std::int16_t>(taps_[i] >> 8);
        low_taps_[i] = static_cast<std::int16_t>(taps_[i] & 0xFF);
    }
}

void LSRCConvertRate::Refill() {
    const int channels = GetChannels();
    upstream_->Read(block_.data(), kBlockFrames);
    std::int64_t peak = 0;
    for (int c = 0; c < channels; ++c) {
        Sample* plane = input_[c].data();
        // The history goes back to full scale before the new block's shift is chosen.
        for (std::int32_t f = 0; f < kTaps; ++f) {
            plane[f] =
                static_cast<Sample>(static_cast<std::uint32_t>(plane[kBlockFrames + f]) << shift_);
        }
        const Extremes extremes = Deinterleave(block_.data(), channels, c, plane + kTaps);
        const Extremes history = FindExtremes(plane, kTaps);
        peak = std::max({peak, -std::int64_t{std::min(extremes.low, history.low)},
                         std::int64_t{std::max(extremes.high, history.high)}});
    }
    shift_ = 0;
    while (shift_ < 15 && (peak >> shift_) >= 32768) {
        ++shift_;
    }
    narrow_ = true;
    for (int c = 0; c < channels; ++c) {
        const Extremes scaled =
            ScaleDown(input_[c].data(), narrow_input_[c].data(), kBufferFrames, shift_);
        narrow_ = narrow_ && scaled.low >= INT16_MIN && scaled.high <= INT16_MAX;
    }
    position_ -= kBlockFrames;
}

void LSRCConvertRate::Read(Sample* buffer, std::int32_t frames) {
    const int channels = GetChannels();
    if (IsError()) {
        std::fill_n(buffer, std::max(frames, 0) * channels, 0);
        return;
    }
    // Frames are computed in runs that end at a refill: first the input position and phase of
    // every frame of the run, then one dot-product pass per channel.
    constexpr std::int32_t kRunFrames = 1024;
    std::int32_t positions[kRunFrames];
    std::int32_t phases[kRunFrames];
    const std::int32_t whole_step = ratio_.p / ratio_.q;
    const std::int32_t part_step = ratio_.p % ratio_.q;
    while (frames > 0) {
        std::int32_t run = 0;
        while (run < frames && run < kRunFrames) {
            if (position_ >= kBlockFrames) {
                if (run > 0) {
                    // Finish the frames planned on the current buffer first; this frame's step
                    // is already taken and waits for the refill.
                    break;
                }
                while (position_ >= kBlockFrames) {
                    Refill();
                }
            }
            positions[run] = position_;
            phases[run] = accumulator_;
            // One step of P/Q input frames, the accumulator kept below Q.
            position_ += whole_step;
            accumulator_ += part_step;
            if (accumulator_ >= ratio_.q) {
                accumulator_ -= ratio_.q;
                ++position_;
            }
            ++run;
        }
        if (narrow_) {
            const std::int16_t* planes[2] = {narrow_input_[0].data(), narrow_input_[1].data()};
            ConvertFramesNarrow(high_taps_.data(), low_taps_.data(), kTapStride, planes, positions,
                                phases, run, channels, shift_, buffer);
        } else {
            for (int c = 0; c < channels; ++c) {
                ConvertChannel(taps_.data(), kTapStride, input_[c].data(), positions, phases, run,
                               channels, shift_, buffer + c);
            }
        }
        buffer += run * channels;
        frames -= run;
    }
}

std::int64_t LSRCConvertRate::ToUpstream(std::int64_t frames) const {
    return frames / ratio_.q * ratio_.p + frames % ratio_.q * ratio_.p / ratio_.q;
}

std::int32_t LSRCConvertRate::GetPosition() const {
    // n is the input frame under the filter's centre for the next frame to produce, and the
    // accumulator its phase: that frame t has t × P = n × Q + acc exactly. (Converting n alone back
    // to output frames lags a frame or two behind what was read, and a copy that ends on position ≥
    // length would then add frames of silence.)
    const std::int64_t n = std::int64_t{upstream_->GetPosition()} - (kStartPosition - position_);
    const std::int64_t next = (n * ratio_.q + accumulator_) / ratio_.p;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(next, INT32_MIN, INT32_MAX));
}

std::int32_t LSRCConvertRate::GetLength() const {
    const std::int64_t l = upstream_->GetLength();
    return static_cast<std::int32_t>(l / ratio_.p * ratio_.q + l % ratio_.p * ratio_.q / ratio_.p);
}

void LSRCConvertRate::Seek(std::int32_t frame) {
    std::int64_t start = ToUpstream(frame) - 31;
    upstream_->Seek(
        static_cast<std::int32_t>(std::clamp<std::int64_t>(start, INT32_MIN, INT32_MAX)));
    accumulator_ = static_cast<std::int32_t>(std::int64_t{frame} % ratio_.q * ratio_.p % ratio_.q);
    const int channels = GetChannels();
    upstream_->Read(block_.data(), kTaps);
    for (int c = 0; c < channels && c < 2; ++c) {
        for (std::int32_t f = 0; f < kTaps; ++f) {
            input_[c][kBlockFrames + f] = block_[f * channels + c];
        }
    }
    position_ = kBlockFrames;
    shift_ = 0;
}

}  // namespace sonvara
