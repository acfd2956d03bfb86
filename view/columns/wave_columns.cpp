#include "view/columns/wave_columns.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "core/file.h"
#include "document/cut_list_reader.h"

namespace sonvara {
namespace {

// Past the end of the list the graph walk goes on over silence this long.
constexpr std::int64_t kEndlessSilence = 0x7FFF0000;

bool Stopped(const std::atomic<bool>* stop) {
    return stop != nullptr && stop->load(std::memory_order_relaxed);
}

std::uint8_t Limit255(std::int64_t value) {
    return static_cast<std::uint8_t>(std::clamp<std::int64_t>(value, 0, 255));
}

// The root mean square of `count` values whose squares sum to `squares`, divided by `divisor`.
std::uint8_t RmsValue(double squares, std::int64_t count, double divisor) {
    if (count <= 0) {
        return 0;
    }
    return static_cast<std::uint8_t>(
        std::min(std::sqrt(squares / static_cast<double>(count)) / divisor, 255.0));
}

}  // namespace

WaveColumnMapping::WaveColumnMapping(std::int32_t start, std::int32_t length, int width)
    : start_(start), length_(std::max(length, 0)), width_(std::clamp(width, 1, kMaxWaveColumns)) {
    if (length_ > 0) {
        scale_ = static_cast<double>(std::max(width_, 8)) / static_cast<double>(length_);
        first_ = static_cast<std::int32_t>(std::lround(static_cast<double>(start_) * scale_));
    }
}

int WaveColumnMapping::ColumnOf(std::int64_t frame) const {
    if (!HasView()) {
        return -1;
    }
    const std::int64_t column = std::llround(static_cast<double>(frame) * scale_) - first_;
    if (column < 0) {
        return -1;
    }
    return static_cast<int>(std::min<std::int64_t>(column, width_));
}

std::int64_t WaveColumnMapping::FrameOf(int column) const {
    if (!HasView()) {
        return 0;
    }
    return std::llround(static_cast<double>(column + first_) / scale_);
}

namespace {

template <typename T>
void CopyRange(std::vector<T>& to, const std::vector<T>& from, int first, int end) {
    std::copy(from.begin() + first, from.begin() + end, to.begin() + first);
}

template <typename T>
void ShiftRange(std::vector<T>& values, int shift, int width) {
    if (shift > 0) {
        std::copy_backward(values.begin(), values.begin() + (width - shift),
                           values.begin() + width);
    } else {
        std::copy(values.begin() - shift, values.begin() + width, values.begin());
    }
}

}  // namespace

void WaveColumns::CopyFrom(const WaveColumns& other, int from, int to) {
    CopyRange(upper, other.upper, from, to);
    CopyRange(lower, other.lower, from, to);
    CopyRange(rms_upper, other.rms_upper, from, to);
    CopyRange(rms_lower, other.rms_lower, from, to);
    CopyRange(high, other.high, from, to);
    CopyRange(low, other.low, from, to);
}

void WaveColumns::Shift(int shift, int width) {
    if (shift == 0 || std::abs(shift) >= width) {
        return;
    }
    ShiftRange(upper, shift, width);
    ShiftRange(lower, shift, width);
    ShiftRange(rms_upper, shift, width);
    ShiftRange(rms_lower, shift, width);
    ShiftRange(high, shift, width);
    ShiftRange(low, shift, width);
}

void ComputeWaveColumns(const LCutListAudio& document, const WaveColumnMapping& mapping, int from,
                        int to, const WaveDrawOptions& options, WaveColumns& columns,
                        const std::atomic<bool>* stop) {
    if (options.mode == WaveDisplayMode::kPeakMagnitude ||
        static_cast<std::int64_t>(mapping.Length()) <=
            static_cast<std::int64_t>(mapping.Width()) * kGraphRecordFrames) {
        ComputeColumnsFromSamples(document, mapping, from, to, options, columns, stop);
    } else {
        ComputeColumnsFromGraphs(document, mapping, from, to, options, columns, stop);
    }
}

void ComputeColumnsFromSamples(const LCutListAudio& document, const WaveColumnMapping& mapping,
                               int from, int to, const WaveDrawOptions& options,
                               WaveColumns& columns, const std::atomic<bool>* stop) {
    from = std::clamp(from, 0, mapping.Width());
    to = std::clamp(to, from, std::min(mapping.Width(), kMaxWaveColumns));
    if (!mapping.HasView() || from == to) {
        return;
    }
    const int channels = std::max(document.GetChannels(), 1);
    // Left/right needs two channels; a mono document is drawn positive up, negative down.
    const bool left_right = options.mode == WaveDisplayMode::kLeftRight && channels == 2;
    const bool peak_only = options.mode == WaveDisplayMode::kPeakMagnitude;
    const int shift = options.vertical_zoom ? 8 : (peak_only ? 10 : 11);

    LSRCCutListAudio source(document);
    const std::int64_t length = source.GetLength();
    std::int64_t position = std::max<std::int64_t>(mapping.FrameOf(from), 0);
    if (position < length) {
        source.Seek(static_cast<std::int32_t>(position));
    }
    std::vector<Sample> block(static_cast<std::size_t>(kBlockFrames * channels));

    for (int c = from; c < to; ++c) {
        if (Stopped(stop)) {
            return;
        }
        const std::int64_t frames = mapping.FrameOf(c + 1) - position;
        Sample high[2] = {0, 0};
        Sample low[2] = {0, 0};
        double squares[2] = {0, 0};
        Sample largest = std::numeric_limits<Sample>::min();
        Sample smallest = std::numeric_limits<Sample>::max();
        // Frames past the end read as zeros, which cannot move extremes that start at 0.
        std::int64_t left =
            std::clamp<std::int64_t>(length - position, 0, std::max<std::int64_t>(frames, 0));
        while (left > 0) {
            const auto piece =
                static_cast<std::int32_t>(std::min<std::int64_t>(left, kBlockFrames));
            source.Read(block.data(), piece);
            for (std::int32_t f = 0; f < piece; ++f) {
                for (int ch = 0; ch < channels; ++ch) {
                    const Sample s = block[static_cast<std::size_t>(f * channels + ch)];
                    const int slot = left_right ? ch : 0;
                    high[slot] = std::max(high[slot], s);
                    low[slot] = std::min(low[slot], s);
                    squares[slot] += static_cast<double>(s) * s;
                    largest = std::max(largest, s);
                    smallest = std::min(smallest, s);
                }
            }
            left -= piece;
        }
        const std::int64_t summed =
            std::clamp<std::int64_t>(length - position, 0, std::max<std::int64_t>(frames, 0));
        if (frames > 0) {
            position += frames;
        }
        const auto index = static_cast<std::size_t>(c);
        const double divisor = static_cast<double>(std::int64_t{1} << shift);
        if (left_right) {
            columns.rms_upper[index] = RmsValue(squares[0], summed, divisor);
            columns.rms_lower[index] = RmsValue(squares[1], summed, divisor);
        } else {
            columns.rms_upper[index] = columns.rms_lower[index] =
                RmsValue(squares[0], summed * channels, divisor);
        }
        if (left_right) {
            const std::int64_t l =
                std::max<std::int64_t>(high[0], -static_cast<std::int64_t>(low[0]));
            const std::int64_t r =
                std::max<std::int64_t>(high[1], -static_cast<std::int64_t>(low[1]));
            columns.upper[index] = Limit255(l >> shift);
            columns.lower[index] = Limit255(r >> shift);
        } else {
            columns.upper[index] = Limit255(static_cast<std::int64_t>(high[0]) >> shift);
            columns.lower[index] = Limit255((-static_cast<std::int64_t>(low[0])) >> shift);
        }
        if (left_right || summed == 0) {
            columns.high[index] = columns.upper[index];
            columns.low[index] = static_cast<std::int16_t>(-columns.lower[index]);
        } else {
            // Magnitudes shift toward 0 either way, as upper and lower do.
            auto scaled = [shift](Sample value) {
                const std::int64_t magnitude = std::abs(std::int64_t{value}) >> shift;
                return static_cast<std::int16_t>(std::min<std::int64_t>(magnitude, 255) *
                                                 (value < 0 ? -1 : 1));
            };
            columns.high[index] = scaled(largest);
            columns.low[index] = scaled(smallest);
        }
        if (peak_only) {
            const std::uint8_t peak = std::max(columns.upper[index], columns.lower[index]);
            columns.upper[index] = columns.lower[index] = peak;
            columns.high[index] = peak;
            columns.low[index] = static_cast<std::int16_t>(-peak);
            columns.rms_upper[index] = columns.rms_lower[index] = 0;
        }
    }
}

void ComputeColumnsFromGraphs(const LCutListAudio& document, const WaveColumnMapping& mapping,
                              int from, int to, const WaveDrawOptions& options,
                              WaveColumns& columns, const std::atomic<bool>* stop) {
    from = std::clamp(from, 0, mapping.Width());
    to = std::clamp(to, from, std::min(mapping.Width(), kMaxWaveColumns));
    if (!mapping.HasView() || from == to) {
        return;
    }
    const int channels = std::max(document.GetChannels(), 1);
    const bool left_right = options.mode == WaveDisplayMode::kLeftRight && channels == 2;
    const int gain_shift = options.vertical_zoom ? 13 : 16;
    const std::size_t record_bytes = static_cast<std::size_t>(channels) * 2;
    // At most 1024 bytes of records per read.
    const std::int64_t largest_read = 512 / channels * kGraphRecordFrames - kGraphRecordFrames;

    std::vector<const LCutRecord*> cuts;
    for (const LCutRecord& record : document.Records()) {
        cuts.push_back(&record);
    }

    LFile graph;
    LFile levels;
    // The factor of the cut being read: its gain with 256 as unity. Before the first audible cut
    // no maxima exist yet, so any starting factor gives the same columns.
    std::int64_t factor = std::int64_t{1} << (24 - gain_shift);
    std::size_t cut_index = 0;
    std::int64_t left_in_cut = 0;

    // Opens the graph of cut `cut_index` at `offset` frames into the cut; false for silence.
    auto enter_cut = [&](std::int64_t offset) {
        graph.Close();
        levels.Close();
        const LCutRecord& record = *cuts[cut_index];
        left_in_cut = record.length - offset;
        if (record.cut.IsSilent()) {
            return false;
        }
        if (graph.Open(record.cut.GrfFilePath(), FileAccess::kRead, FileSharing::kReadWrite,
                       FileDisposition::kOpenExisting)) {
            const std::int64_t first_record = (record.start + offset) / kGraphRecordFrames;
            graph.Seek(first_record * static_cast<std::int64_t>(record_bytes));
            if (levels.Open(record.cut.RmsFilePath(), FileAccess::kRead, FileSharing::kReadWrite,
                            FileDisposition::kOpenExisting)) {
                levels.Seek(first_record * channels);
            }
        }
        return true;
    };

    std::int64_t position = std::max<std::int64_t>(mapping.FrameOf(from), 0);
    {
        std::int64_t offset = position;
        while (cut_index < cuts.size() && offset >= cuts[cut_index]->length) {
            offset -= cuts[cut_index]->length;
            ++cut_index;
        }
        if (cut_index < cuts.size()) {
            if (enter_cut(offset)) {
                factor = cuts[cut_index]->gain >> gain_shift;
            }
        } else {
            left_in_cut = kEndlessSilence;
        }
    }

    std::vector<std::uint8_t> records(1024);
    std::vector<std::uint8_t> level_records(512);
    // Levels carry the cut's factor as they are summed (a column may span cuts of other gains).
    const double level_divisor = 256.0;
    for (int c = from; c < to; ++c) {
        if (Stopped(stop)) {
            break;
        }
        std::int64_t high = 0;
        std::int64_t low = 0;
        double squares[2] = {0, 0};
        std::int64_t summed = 0;  // records summed, over all channels in positive/negative
        std::int64_t frames = mapping.FrameOf(c + 1) - position;
        while (frames > 0) {
            const std::int64_t step = std::min({frames, left_in_cut, largest_read});
            const std::int64_t count = (step + kGraphRecordFrames - 1) / kGraphRecordFrames;
            if (graph.IsValid()) {
                const std::size_t bytes = static_cast<std::size_t>(count) * record_bytes;
                std::fill(records.begin(), records.begin() + static_cast<std::ptrdiff_t>(bytes), 0);
                graph.Read(records.data(), bytes);
                for (std::size_t r = 0; r < static_cast<std::size_t>(count); ++r) {
                    const std::uint8_t* rec = records.data() + r * record_bytes;
                    if (left_right) {
                        high = std::max<std::int64_t>({high, rec[0], rec[1]});
                        low = std::max<std::int64_t>({low, rec[2], rec[3]});
                    } else {
                        for (int ch = 0; ch < channels; ++ch) {
                            high = std::max<std::int64_t>(high, rec[2 * ch]);
                            low = std::max<std::int64_t>(low, rec[2 * ch + 1]);
                        }
                    }
                }
            }
            if (cut_index < cuts.size()) {
                const auto level_bytes = static_cast<std::size_t>(count * channels);
                std::fill(level_records.begin(),
                          level_records.begin() + static_cast<std::ptrdiff_t>(level_bytes), 0);
                if (levels.IsValid()) {
                    levels.Read(level_records.data(), level_bytes);
                }
                const auto f = static_cast<double>(factor);
                for (std::size_t i = 0; i < level_bytes; ++i) {
                    const double value = level_records[i] * f;
                    squares[left_right ? i % 2 : 0] += value * value;
                }
                summed += left_right ? count : count * channels;
            }
            // Whole records are read, so the walk advances by whole records.
            const std::int64_t advanced = count * kGraphRecordFrames;
            position += advanced;
            frames -= advanced;
            left_in_cut -= advanced;
            while (left_in_cut <= 0) {
                graph.Close();
                levels.Close();
                ++cut_index;
                if (cut_index >= cuts.size()) {
                    left_in_cut = kEndlessSilence;
                    break;
                }
                if (enter_cut(0)) {
                    // The maxima so far were gathered under the old factor: restate them
                    // under the new one, so one factor applies to the whole column.
                    const std::int64_t new_factor = cuts[cut_index]->gain >> gain_shift;
                    if (new_factor > 0) {
                        high = std::min<std::int64_t>(high * factor / new_factor, 255);
                        low = std::min<std::int64_t>(low * factor / new_factor, 255);
                    }
                    factor = new_factor;
                }
            }
        }
        const auto index = static_cast<std::size_t>(c);
        columns.upper[index] = Limit255((high * factor) >> 8);
        columns.lower[index] = Limit255((low * factor) >> 8);
        columns.high[index] = columns.upper[index];
        columns.low[index] = static_cast<std::int16_t>(-columns.lower[index]);
        columns.rms_upper[index] = RmsValue(squares[0], summed, level_divisor);
        columns.rms_lower[index] =
            left_right ? RmsValue(squares[1], summed, level_divisor) : columns.rms_upper[index];
    }
    graph.Close();
    levels.Close();
}

WaveSamples ReadWaveSamples(const LCutListAudio& document, const WaveColumnMapping& mapping) {
    WaveSamples samples;
    samples.channels = std::max(document.GetChannels(), 1);
    if (!DrawsSamples(mapping)) {
        return samples;
    }
    LSRCCutListAudio source(document);
    const std::int64_t length = source.GetLength();
    const std::int64_t first = std::clamp<std::int64_t>(mapping.FrameOf(0) - 1, 0, length);
    const std::int64_t end =
        std::clamp<std::int64_t>(mapping.FrameOf(mapping.Width()) + 2, first, length);
    samples.first = first;
    samples.values.resize(static_cast<std::size_t>((end - first) * samples.channels));
    if (end > first) {
        source.Seek(static_cast<std::int32_t>(first));
        for (std::int64_t done = 0; done < end - first; done += kBlockFrames) {
            const auto piece =
                static_cast<std::int32_t>(std::min<std::int64_t>(kBlockFrames, end - first - done));
            source.Read(samples.values.data() + done * samples.channels, piece);
        }
    }
    return samples;
}

}  // namespace sonvara
