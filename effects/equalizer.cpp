#include "effects/equalizer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "effects/effect_process.h"
#include "effects/effect_sources.h"
#include "effects/point_list.h"
#include "effects/registry/built_in_effects.h"

namespace sonvara {

EqualizerResponse MakeEqualizerResponse(const PointList& points, std::int32_t sample_rate) {
    const std::int32_t rate = sample_rate > 0 ? sample_rate : 44100;
    const double scale = 320000.0 / rate;
    const int count = points.Count();
    EqualizerResponse response{};
    int band = 0;
    for (int i = 0; i + 1 < count; ++i) {
        const PointList::Point from = points.points[i];
        const PointList::Point to = points.points[i + 1];
        int end = static_cast<int>(to.x * scale);
        const int start = band;
        // The slope is taken over the whole segment, even where its end lies above the top band.
        const double slope = start < end ? static_cast<double>(to.y - from.y) / (end - start) : 0.0;
        end = std::min(end, kEqualizerTaps);
        for (; band < end; ++band) {
            response[band] = static_cast<std::uint8_t>(
                from.y + static_cast<int>((band - start) * slope));  // truncated toward 0
        }
    }
    const std::uint8_t last = count > 0 ? points.points[count - 1].y : 128;
    std::fill(response.begin() + band, response.end(), last);
    return response;
}

EqualizerTaps MakeEqualizerTaps(const EqualizerResponse& response) {
    // cos(m·π ÷ 2048) has period 4096 in m = n·k, so one table of 4096 cosines serves every term.
    // Entry m is formed as m·π ÷ 2048 in doubles, the argument the plain sum uses for products
    // below 4096; above that the reduced argument is the more exact of the two.
    constexpr int kPeriod = 2 * kEqualizerTaps;
    std::vector<double> cosines(kPeriod);
    for (int m = 0; m < kPeriod; ++m) {
        cosines[m] = std::cos(m * std::numbers::pi / kEqualizerTaps);
    }
    // The bands sample the response from 0 Hz up to half the rate, both ends included (the top
    // end at the last band's level). The sum is the trapezoid over those 2049 samples: the two
    // end samples weigh half. Weighing 0 Hz fully, with no top end, lifted 0 Hz to twice the
    // level (+6 dB) and took half the rate to nothing even for a flat table.
    const double first = 0.5 * response[0];
    const double top = 0.5 * response[kEqualizerTaps - 1];
    EqualizerTaps taps{};
    for (int n = 0; n < kEqualizerTaps; ++n) {
        double sum = first + (n % 2 == 0 ? top : -top);  // cos(n·π) at the top end
        int m = n;                                       // n·k mod 4096
        for (int k = 1; k < kEqualizerTaps; ++k) {
            sum += cosines[m] * response[k];
            m = (m + n) & (kPeriod - 1);
        }
        taps[n] = (static_cast<std::int32_t>(std::trunc(sum)) + 4) >> 3;
    }
    return taps;
}

LSRCEq::LSRCEq(LSoundSourceRef upstream, const EqualizerResponse& response)
    : LSoundSourceBase(upstream->GetSampleRate(), upstream->GetChannels(),
                       // A band at its highest level almost doubles it.
                       upstream->GetMaxSample() <= 0x100000 ? upstream->GetMaxSample() * 2
                                                            : upstream->GetMaxSample()),
      upstream_(std::move(upstream)),
      taps_(MakeEqualizerTaps(response)) {
    if (upstream_->IsError()) {
        SetError();
    }
    if (!Filters()) {
        return;
    }
    for (int c = 0; c < GetChannels(); ++c) {
        planes_[c].assign(kBufferFrames, 0);
    }
    block_.resize(static_cast<std::size_t>(GetChannels()) * kBlockFrames);
    sums_.resize(kBlockFrames);
    Fill();
}

void LSRCEq::ReadPlanes(std::int32_t at, std::int32_t frames) {
    const int channels = GetChannels();
    upstream_->Read(block_.data(), frames);
    for (int c = 0; c < channels; ++c) {
        Sample* plane = planes_[c].data() + at;
        for (std::int32_t f = 0; f < frames; ++f) {
            plane[f] = block_[static_cast<std::size_t>(f) * channels + c];
        }
    }
}

void LSRCEq::Fill() {
    for (int c = 0; c < GetChannels(); ++c) {
        std::fill_n(planes_[c].begin(), kEqualizerReach, 0);
    }
    ReadPlanes(kEqualizerReach, kLookAhead);
    ReadPlanes(kEqualizerReach + kLookAhead, kBlockFrames);
    position_ = 0;
    ApplyInBufferScaling();
}

void LSRCEq::Refill() {
    for (int c = 0; c < GetChannels(); ++c) {
        Sample* plane = planes_[c].data();
        // The kept frames go back to their own scale before the next shift is chosen (the bits
        // the old shift dropped stay dropped).
        for (std::int32_t f = 0; f < kKeptFrames; ++f) {
            plane[f] =
                static_cast<Sample>(static_cast<std::uint32_t>(plane[kBlockFrames + f]) << shift_);
        }
    }
    ReadPlanes(kKeptFrames, kBlockFrames);
    position_ = 0;
    ApplyInBufferScaling();
}

void LSRCEq::ApplyInBufferScaling() {
    if (!Filters()) {
        return;
    }
    // Magnitudes in 64 bits: the most negative sample has no 32-bit negation.
    std::int64_t peak = 0;
    for (int c = 0; c < GetChannels(); ++c) {
        const auto [low, high] = std::minmax_element(planes_[c].begin(), planes_[c].end());
        peak = std::max({peak, std::int64_t{*high}, -std::int64_t{*low}});
    }
    shift_ = 0;
    while ((peak >> shift_) > 32767) {
        ++shift_;
    }
    if (shift_ == 0) {
        return;
    }
    for (int c = 0; c < GetChannels(); ++c) {
        for (Sample& sample : planes_[c]) {
            sample >>= shift_;
        }
    }
}

Sample LSRCEq::Output(std::uint32_t sum) const {
    // A buffer peak above 2^30 needs a shift of 16 or 17; the sum then goes up, not down.
    if (shift_ > 15) {
        return static_cast<Sample>(sum << (shift_ - 15));
    }
    return static_cast<Sample>(sum) >> (15 - shift_);
}

void LSRCEq::Read(Sample* buffer, std::int32_t frames) {
    if (!Filters()) {
        upstream_->Read(buffer, frames);
        return;
    }
    const int channels = GetChannels();
    while (frames > 0) {
        if (position_ == kBlockFrames) {
            Refill();
        }
        const std::int32_t run = std::min(frames, kBlockFrames - position_);
        for (int c = 0; c < channels; ++c) {
            EqualizerSums(taps_.data(), planes_[c].data() + position_, run, sums_.data());
            for (std::int32_t f = 0; f < run; ++f) {
                buffer[static_cast<std::size_t>(f) * channels + c] = Output(sums_[f]);
            }
        }
        buffer += static_cast<std::size_t>(run) * channels;
        frames -= run;
        position_ += run;
    }
}

std::int32_t LSRCEq::GetPosition() const {
    if (!Filters()) {
        return upstream_->GetPosition();
    }
    // The upstream is ahead by the look-ahead and the block, less what was given out of it.
    const std::int64_t next =
        std::int64_t{upstream_->GetPosition()} - kLookAhead - kBlockFrames + position_;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(next, INT32_MIN, INT32_MAX));
}

void LSRCEq::Seek(std::int32_t frame) {
    upstream_->Seek(frame);
    if (Filters()) {
        Fill();
    }
}

EfEqualiser::EfEqualiser(LCutListAudio& document, FrameRange range, const PointList& points)
    : LProgressDialog("Sonvara"), document_(document), range_(range), points_(points) {}

ProcessResult EfEqualiser::Body() {
    return RunRangeEffect(*this, "Equalizing", document_, range_, EqualizerSource(points_));
}

EffectEntry EqualizerEffect() {
    return {
        .id = "equalizer",
        .names = {"Ecualizador...", "Ecualizador", "Ecualizador"},
        .fields = {PointListField(kEqualizerPointsFile)},
        .apply =
            [](const ProcessRunner& run, LCutListAudio& document, FrameRange& range,
               const EffectValues& v) {
                return RunEffectProcess<EfEqualiser>(run, document, range, v.points);
            },
        .stream = [](const EffectValues& v, StreamInput&) -> std::optional<StreamStage> {
            return StreamStage{EqualizerSource(v.points)};
        },
        .dialog = EffectDialog::kEqualizerPoints,
        .menu = {EffectGroup::kFilters, false, 4003},
        .batch_id = 6,
    };
}

}  // namespace sonvara
