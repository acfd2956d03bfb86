#include "audio/peak_limit.h"

#include <algorithm>
#include <cstring>

#include "audio/split_multiply.h"

namespace sonvara {
namespace {

// Applies a gain that moves by `step` after every frame, to frames of `Channels` samples.
template <int Channels>
inline void RampFrames(const Sample* in, Sample* out, std::int32_t frames, std::int32_t gain,
                       std::int32_t step) {
    for (std::int32_t f = 0; f < frames; ++f) {
        // The gain of frame f, with the same 32-bit wrapping as stepping it frame by frame.
        const auto frame_gain = static_cast<std::int32_t>(static_cast<std::uint32_t>(gain) +
                                                          static_cast<std::uint32_t>(f) *
                                                              static_cast<std::uint32_t>(step));
        for (int c = 0; c < Channels; ++c) {
            out[f * Channels + c] = SplitMultiply(in[f * Channels + c], frame_gain);
        }
    }
}

// Built twice, for AVX2 and for any x86-64, and chosen when the program starts.
__attribute__((target_clones("avx2", "default"))) void Ramp(const Sample* in, Sample* out,
                                                            std::int32_t frames, int channels,
                                                            std::int32_t gain, std::int32_t step) {
    if (channels == 2) {
        RampFrames<2>(in, out, frames, gain, step);
    } else {
        RampFrames<1>(in, out, frames, gain, step);
    }
}

// The largest magnitude in a block, as a plain minimum and maximum that vectorise (a search
// for the elements themselves does not). Built for AVX2 and for any x86-64.
__attribute__((target_clones("avx2", "default"))) std::int64_t Peak(const Sample* samples,
                                                                    std::size_t count) {
    Sample low = 0;
    Sample high = 0;
    for (std::size_t i = 0; i < count; ++i) {
        low = std::min(low, samples[i]);
        high = std::max(high, samples[i]);
    }
    return std::max(-std::int64_t{low}, std::int64_t{high});
}

}  // namespace

LSRCPeakLimit::LSRCPeakLimit(LSoundSourceRef upstream, Sample limit)
    : LSoundSourceBase(upstream->GetSampleRate(), upstream->GetChannels(),
                       std::min(limit, kMaxLimit)),
      upstream_(std::move(upstream)),
      limit_(std::min(limit, kMaxLimit)),
      block_frames_(std::clamp(GetSampleRate() / 35, 20, kBlockFrames)) {
    FollowErrorsOf(*upstream_);
    if (GetChannels() > 2) {
        SetError();
    }
    const auto samples = static_cast<std::size_t>(block_frames_) * GetChannels();
    block_a_.resize(samples);
    block_b_.resize(samples);
    block_c_.resize(samples);
    position_ = 3 * block_frames_;
}

std::int32_t LSRCPeakLimit::BlockGain(std::int64_t peak, Sample limit) {
    if (peak <= limit) {
        return kUnityGain;
    }
    return static_cast<std::int32_t>(((std::int64_t{limit} << 9) / ((peak + 64) >> 6)) << 9);
}

void LSRCPeakLimit::ReadBlock(std::vector<Sample>& block, std::int32_t& gain) {
    upstream_->Read(block.data(), block_frames_);
    gain = BlockGain(Peak(block.data(), block.size()), limit_);
}

void LSRCPeakLimit::SetUpRamp() {
    std::int32_t target = std::min(gain_a_, gain_b_) - gain_;
    // The four gains are at most unity each, so their sum fits.
    const std::int32_t average = ((gain_before_ + gain_a_ + gain_b_ + gain_c_) >> 2) - gain_;
    if (target > average) {
        target = average;
    }
    step_ = target / block_frames_;
    gain_ += target % block_frames_;
}

void LSRCPeakLimit::Prime() {
    ReadBlock(block_a_, gain_a_);
    ReadBlock(block_b_, gain_b_);
    ReadBlock(block_c_, gain_c_);
    gain_before_ = gain_a_;
    gain_ = gain_a_;
    SetUpRamp();
    position_ = 0;
}

void LSRCPeakLimit::ApplyGain(const Sample* in, Sample* out, std::int32_t frames) {
    const int channels = GetChannels();
    if (gain_ >= kUnityGain && step_ == 0) {
        std::memcpy(out, in, static_cast<std::size_t>(frames) * channels * sizeof(Sample));
        return;
    }
    Ramp(in, out, frames, channels, gain_, step_);
    gain_ = static_cast<std::int32_t>(static_cast<std::uint32_t>(gain_) +
                                      static_cast<std::uint32_t>(frames) *
                                          static_cast<std::uint32_t>(step_));
}

void LSRCPeakLimit::Read(Sample* buffer, std::int32_t frames) {
    const int channels = GetChannels();
    if (IsError()) {
        std::fill_n(buffer, std::max(frames, 0) * channels, 0);
        return;
    }
    if (position_ == 3 * block_frames_) {
        Prime();
    }
    while (frames > 0) {
        if (position_ >= block_frames_) {
            std::swap(block_a_, block_b_);
            std::swap(block_b_, block_c_);
            gain_before_ = gain_a_;
            gain_a_ = gain_b_;
            gain_b_ = gain_c_;
            ReadBlock(block_c_, gain_c_);
            SetUpRamp();
            position_ = 0;
        }
        const std::int32_t count = std::min(frames, block_frames_ - position_);
        ApplyGain(&block_a_[static_cast<std::size_t>(position_) * channels], buffer, count);
        position_ += count;
        buffer += count * channels;
        frames -= count;
    }
}

std::int32_t LSRCPeakLimit::GetPosition() const {
    return upstream_->GetPosition() - (3 * block_frames_ - position_);
}

void LSRCPeakLimit::Seek(std::int32_t frame) {
    upstream_->Seek(frame);
    Prime();
}

}  // namespace sonvara
