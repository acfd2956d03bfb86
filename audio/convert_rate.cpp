#include "audio/convert_rate.h"

#include <algorithm>
#include <cmath>
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

// One channel of `frames` output frames: for each, the sum of the 64 products of its phase row
// with the input from its position on, scaled back by the block shift with rounding. Built twice,
// for AVX2 and for any x86-64, and chosen when the program starts.
//
// The sum is formed in 64 bits and limited to the 32-bit range. A 32-bit sum would wrap when a
// block's loudest stretch is interpolated slightly above its sample peak (intersample peaks,
// filter overshoot), which turns a peak into a full-scale click of the opposite sign; wherever
// the 32-bit sum does not overflow the result is the same.
__attribute__((target_clones("avx2", "default"))) void ConvertChannel(
    const std::int32_t* taps, int tap_stride, const Sample* input, const std::int32_t* positions,
    const std::int32_t* phases, std::int32_t frames, int channels, int shift, Sample* out) {
    const std::int32_t rounding = std::int32_t{1} << (14 - shift);
    for (std::int32_t f = 0; f < frames; ++f) {
        const std::int32_t* row = taps + phases[f] * tap_stride;
        const Sample* x = input + positions[f];
        std::int64_t sum = 0;
        for (int j = 0; j < 64; ++j) {
            sum += std::int64_t{row[j]} * x[j];
        }
        const auto limited =
            static_cast<std::int32_t>(std::clamp<std::int64_t>(sum, INT32_MIN, INT32_MAX));
        out[f * channels] = ((limited >> 1) + rounding) >> (15 - shift);
    }
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
        for (std::int32_t f = 0; f < kBlockFrames; ++f) {
            plane[kTaps + f] = block_[f * channels + c];
        }
        auto [low, high] = std::minmax_element(plane, plane + kBufferFrames);
        peak = std::max({peak, -std::int64_t{*low}, std::int64_t{*high}});
    }
    shift_ = 0;
    while (shift_ < 15 && (peak >> shift_) >= 32768) {
        ++shift_;
    }
    if (shift_ > 0) {
        const std::uint32_t rounding = 1u << (shift_ - 1);
        for (int c = 0; c < channels; ++c) {
            for (Sample& sample : input_[c]) {
                sample =
                    static_cast<Sample>(static_cast<std::uint32_t>(sample) + rounding) >> shift_;
            }
        }
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
    std::int32_t positions[256];
    std::int32_t phases[256];
    while (frames > 0) {
        std::int32_t run = 0;
        while (run < frames && run < 256) {
            position_ += accumulator_ / ratio_.q;
            accumulator_ %= ratio_.q;
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
            accumulator_ += ratio_.p;
            ++run;
        }
        for (int c = 0; c < channels; ++c) {
            ConvertChannel(taps_.data(), kTapStride, input_[c].data(), positions, phases, run,
                           channels, shift_, buffer + c);
        }
        buffer += run * channels;
        frames -= run;
    }
}

std::int64_t LSRCConvertRate::ToUpstream(std::int64_t frames) const {
    return frames / ratio_.q * ratio_.p + frames % ratio_.q * ratio_.p / ratio_.q;
}

std::int32_t LSRCConvertRate::GetPosition() const {
    // n is the input frame under the filter's centre for the last frame produced, and the
    // accumulator still holds the step to the next one: the next frame t has t × P = n × Q + acc
    // exactly. (Converting n alone back to output frames lags a frame or two behind what was read,
    // and a copy that ends on position ≥ length would then add frames of silence.)
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
