#include "effects/time_stretch.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <utility>

#include "audio/sound_time.h"
#include "audio/split_multiply.h"

namespace sonvara {
namespace {

// Frames are multiples of the channel count; negative positions round down as well.
std::int64_t AlignDown(std::int64_t samples, std::int64_t channels) {
    const std::int64_t frames =
        samples >= 0 ? samples / channels : -((-samples + channels - 1) / channels);
    return frames * channels;
}

// Enough for the widest reach between two segments (a hop of 7 S and the search on both sides)
// to be read on instead of sought.
constexpr std::size_t kCacheSegments = 16;

// The correlation of `reference` with `candidates` from `offset`, divided by the candidates'
// root energy, over every `step`-th frame.
double MatchScore(const std::vector<float>& reference, const float* candidates, std::size_t step) {
    double product = 0, energy = 1e-9;
    for (std::size_t j = 0; j < reference.size(); j += step) {
        product += static_cast<double>(reference[j]) * candidates[j];
        energy += static_cast<double>(candidates[j]) * candidates[j];
    }
    return product / std::sqrt(energy);
}

}  // namespace

LSRCTimeStretch::LSRCTimeStretch(LSoundSourceRef upstream, double start_speed, double end_speed,
                                 std::int32_t ramp_ms)
    : LSoundSourceBase(upstream->GetSampleRate(), upstream->GetChannels(),
                       upstream->GetMaxSample()),
      upstream_(std::move(upstream)),
      channels_(std::max(upstream_->GetChannels(), 1)),
      segment_(std::clamp(GetSampleRate() / 90, 20, 2730) * channels_),
      hop_(static_cast<std::int32_t>(segment_ * start_speed)),
      end_hop_(static_cast<std::int32_t>(segment_ * end_speed)),
      ramp_left_(std::int64_t{FramesFromMilliseconds(ramp_ms, GetSampleRate())} * channels_),
      ramping_(ramp_left_ > 0),
      search_frames_(segment_ / channels_ / 2),
      window_(static_cast<std::size_t>(segment_)),
      cache_(kCacheSegments * static_cast<std::size_t>(segment_)),
      old_(static_cast<std::size_t>(segment_)),
      fresh_(2 * static_cast<std::size_t>(segment_)) {
    // The old stream alone for the first half, then a raised-cosine fade into the new one.
    const std::int32_t half = segment_ / 2;
    std::fill(window_.begin(), window_.begin() + half, kUnityGain);
    for (std::int32_t k = 0; k < segment_ - half; ++k) {
        const double fade = std::cos(std::numbers::pi * k / (segment_ - half)) * 0.5 + 0.5;
        window_[static_cast<std::size_t>(half + k)] =
            static_cast<std::int32_t>(fade * kUnityGain + 0.5);
    }
    const std::int32_t frames = segment_ / channels_;
    reference_.resize(static_cast<std::size_t>(frames - frames / 2));
    candidates_.resize(static_cast<std::size_t>(frames + 2 * search_frames_));
    if (upstream_->IsError()) {
        SetError();
        return;
    }
    const std::int64_t here = upstream_->GetPosition();
    upstream_at_ = here * channels_;
    cache_start_ = upstream_at_;
    Start(here, here);
}

void LSRCTimeStretch::Start(std::int64_t output_frame, std::int64_t input_frame) {
    origin_output_ = output_frame;
    origin_input_ = input_frame;
    output_frames_ = 0;
    origin_hop_ = hop_;
    origin_ramp_left_ = ramping_ ? ramp_left_ : 0;
    // The first segment plays its input as it is: old and new are the same stream.
    nominal_ = input_frame * channels_;
    const Sample* input = Fetch(nominal_, 2 * std::int64_t{segment_});
    std::copy_n(input, fresh_.size(), fresh_.begin());
    std::copy_n(input, segment_, old_.begin());
    k_ = 0;
}

void LSRCTimeStretch::ReadUpstream(Sample* into, std::int64_t samples) {
    const std::int64_t chunk = std::int64_t{channels_} * kBlockFrames;
    while (samples > 0) {
        const std::int64_t piece = std::min(samples, chunk);
        upstream_->Read(into, static_cast<std::int32_t>(piece / channels_));
        into += piece;
        samples -= piece;
        upstream_at_ += piece;
    }
}

const Sample* LSRCTimeStretch::Fetch(std::int64_t position, std::int64_t count) {
    const std::int64_t capacity = static_cast<std::int64_t>(cache_.size());
    const std::int64_t cache_end = cache_start_ + cache_length_;
    if (position >= cache_start_ && position + count <= cache_end) {
        return cache_.data() + (position - cache_start_);
    }
    const std::int64_t keep_from = std::min(position, cache_end);
    if (position >= cache_start_ && upstream_at_ == cache_end &&
        position + count - keep_from <= capacity) {
        // Reading on reaches it: drop what lies before, then read up to the end of the range
        // (through any gap, which costs less than a seek at these sizes).
        const std::int64_t kept = cache_end - keep_from;
        std::memmove(cache_.data(), cache_.data() + (keep_from - cache_start_),
                     static_cast<std::size_t>(kept) * sizeof(Sample));
        cache_start_ = keep_from;
        ReadUpstream(cache_.data() + kept, position + count - cache_end);
        cache_length_ = position + count - keep_from;
    } else {
        // Behind the buffer, or far ahead of it: seek. Before the input's start there is silence.
        const std::int64_t before = std::clamp<std::int64_t>(-position, 0, count);
        std::fill_n(cache_.begin(), before, 0);
        const std::int64_t from = std::max<std::int64_t>(position, 0);
        upstream_->Seek(static_cast<std::int32_t>(
            std::min<std::int64_t>(from / channels_, std::numeric_limits<std::int32_t>::max())));
        upstream_at_ = from;
        ReadUpstream(cache_.data() + before, count - before);
        cache_start_ = position;
        cache_length_ = count;
        if (before == count) {
            // Nothing was read: the cache does not end where the upstream stands.
            cache_length_ = 0;
            cache_start_ = std::numeric_limits<std::int64_t>::max() / 2;
            return cache_.data();
        }
    }
    return cache_.data() + (position - cache_start_);
}

std::int64_t LSRCTimeStretch::BestOffset(const Sample* candidates) {
    const std::size_t channels = static_cast<std::size_t>(channels_);
    const std::size_t frames = static_cast<std::size_t>(segment_) / channels;
    const std::size_t fade_start = frames / 2;
    for (std::size_t j = 0; j < reference_.size(); ++j) {
        float sum = 0;
        for (std::size_t c = 0; c < channels; ++c) {
            sum += static_cast<float>(old_[(fade_start + j) * channels + c]);
        }
        reference_[j] = sum;
    }
    for (std::size_t t = 0; t < candidates_.size(); ++t) {
        float sum = 0;
        for (std::size_t c = 0; c < channels; ++c) {
            sum += static_cast<float>(candidates[t * channels + c]);
        }
        candidates_[t] = sum;
    }
    // The new stream at offset d is compared from its own fade start on.
    const float* base = candidates_.data() + search_frames_ + fade_start;
    auto score = [&](std::int64_t d, std::size_t step) {
        return MatchScore(reference_, base + d, step);
    };
    // A coarse pass over every other offset and frame, nearest offsets first so that ties keep
    // the nominal start; then the neighbours at full resolution.
    std::int64_t best = 0;
    double best_score = score(0, 2);
    for (std::int64_t d = 2; d <= search_frames_; d += 2) {
        for (const std::int64_t offset : {d, -d}) {
            const double s = score(offset, 2);
            if (s > best_score) {
                best_score = s;
                best = offset;
            }
        }
    }
    const std::int64_t coarse = best;
    best_score = score(coarse, 1);
    for (const std::int64_t offset : {coarse - 1, coarse + 1}) {
        if (offset < -search_frames_ || offset > search_frames_) {
            continue;
        }
        const double s = score(offset, 1);
        if (s > best_score) {
            best_score = s;
            best = offset;
        }
    }
    return best;
}

void LSRCTimeStretch::NextSegment() {
    std::copy_n(fresh_.begin() + segment_, segment_, old_.begin());
    nominal_ = AlignDown(nominal_ + hop_, channels_);
    const std::int64_t reach = std::int64_t{search_frames_} * channels_;
    const Sample* candidates = Fetch(nominal_ - reach, 2 * std::int64_t{segment_} + 2 * reach);
    const std::int64_t offset = BestOffset(candidates);
    std::copy_n(candidates + reach + offset * channels_, fresh_.size(), fresh_.begin());
    k_ = 0;
    if (ramping_) {
        if (ramp_left_ > 0) {
            hop_ +=
                static_cast<std::int32_t>((std::int64_t{end_hop_} - hop_) * segment_ / ramp_left_);
            ramp_left_ -= segment_;
        } else {
            hop_ = end_hop_;
        }
    }
}

void LSRCTimeStretch::Read(Sample* buffer, std::int32_t frames) {
    if (frames <= 0) {
        return;
    }
    output_frames_ += frames;
    std::int64_t samples = std::int64_t{frames} * channels_;
    if (IsError()) {
        std::fill_n(buffer, samples, 0);
        return;
    }
    while (samples > 0) {
        if (k_ == segment_) {
            NextSegment();
        }
        const auto count =
            static_cast<std::int32_t>(std::min<std::int64_t>(samples, segment_ - k_));
        for (std::int32_t i = k_; i < k_ + count; ++i) {
            const auto at = static_cast<std::size_t>(i);
            *buffer++ = WrapAdd(SplitMultiply(old_[at], window_[at]),
                                SplitMultiply(fresh_[at], kUnityGain - window_[at]));
        }
        k_ += count;
        samples -= count;
    }
}

std::int64_t LSRCTimeStretch::FixedHopFrames() const {
    return ramping_ || hop_ <= 0 ? 0 : hop_ / channels_;
}

std::int32_t LSRCTimeStretch::GetPosition() const {
    return static_cast<std::int32_t>(std::min<std::int64_t>(
        origin_output_ + output_frames_, std::numeric_limits<std::int32_t>::max()));
}

std::int32_t LSRCTimeStretch::GetLength() const {
    const std::int64_t hop_frames = FixedHopFrames();
    if (hop_frames == 0) {
        return std::numeric_limits<std::int32_t>::max();
    }
    const std::int64_t input = std::max<std::int64_t>(upstream_->GetLength() - origin_input_, 0);
    return static_cast<std::int32_t>(
        std::min<std::int64_t>(origin_output_ + input * (segment_ / channels_) / hop_frames,
                               std::numeric_limits<std::int32_t>::max()));
}

void LSRCTimeStretch::Seek(std::int32_t frame) {
    const std::int64_t hop_frames = FixedHopFrames();
    const std::int64_t input =
        hop_frames == 0 ? frame : std::int64_t{frame} * hop_frames / (segment_ / channels_);
    if (IsError()) {
        origin_output_ = frame;
        output_frames_ = 0;
        return;
    }
    cache_length_ = 0;  // forces a seek of the upstream
    cache_start_ = std::numeric_limits<std::int64_t>::max() / 2;
    Start(frame, input);
}

std::int64_t LSRCTimeStretch::InputFrameAt(std::int64_t output_frame) const {
    const std::int64_t segment_frames = segment_ / channels_;
    const std::int64_t elapsed = std::max<std::int64_t>(output_frame - origin_output_, 0);
    std::int64_t segments = elapsed / segment_frames;
    const std::int64_t k = elapsed % segment_frames;
    // Where segment `segments`'s new stream starts, and the hop that led there. The hop changes at
    // each segment while the ramp lasts, as NextSegment changes it, and stays after that.
    std::int64_t start = origin_input_;
    std::int64_t hop = origin_hop_;
    std::int64_t last_hop = segment_;  // the first segment plays its input as it is
    std::int64_t ramp_left = origin_ramp_left_;
    for (; segments > 0 && ramp_left > 0; --segments) {
        start += hop / channels_;
        last_hop = hop;
        hop += (std::int64_t{end_hop_} - hop) * segment_ / ramp_left;
        ramp_left -= segment_;
    }
    if (segments > 0) {
        if (origin_ramp_left_ > 0) {
            hop = end_hop_;
        }
        start += segments * (hop / channels_);
        last_hop = hop;
    }
    // The old stream, which goes on from a segment past the previous start, is heard alone for
    // the first half of the segment and then fades into the new one.
    const std::int64_t half = segment_frames / 2;
    const std::int64_t old_ahead = (segment_ - last_hop) / channels_;
    const std::int64_t weight = k < half ? segment_frames - half : segment_frames - k;
    return start + k + old_ahead * weight / (segment_frames - half);
}

std::int32_t LSRCTimeStretch::OutputFrameFor(std::int32_t input_frame) const {
    const std::int64_t hop_frames = FixedHopFrames();
    if (hop_frames == 0) {
        return input_frame;
    }
    return static_cast<std::int32_t>(
        std::min<std::int64_t>(std::int64_t{input_frame} * (segment_ / channels_) / hop_frames,
                               std::numeric_limits<std::int32_t>::max()));
}

}  // namespace sonvara
