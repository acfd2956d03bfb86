#pragma once
// The min/max columns of a waveform view, without any toolkit. A view maps a stretch of the
// document onto W pixel columns; each column gets an upper and a lower value from 0 to 255, where
// 255 is half the view's height. Short views (at most 256 frames per column) read the samples;
// longer ones read the cuts' graph files, one record per 256 frames, so an hour of sound costs a
// few hundred kilobytes. Values are computed for a range of columns so that a scroll can redo only
// the columns it uncovers. Beside the extremes each column gets its loudness (root mean square) on
// the same scale, from the samples or from the cuts' level files ("<n>.rms", one byte a record).
// Views so close that a frame spans a column or more are drawn from the frames themselves
// (ReadWaveSamples).
//
// Frames are sample frames (one sample per channel); "sample" positions below are frames.

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <vector>

#include "document/cut_list_audio.h"

namespace sonvara {

// The widest view, in columns (device pixels: a 4K screen at twice the pixel density).
inline constexpr int kMaxWaveColumns = 8192;
// Frames per graph record; views with more frames per column are drawn from the graph files.
inline constexpr std::int32_t kGraphRecordFrames = 256;

enum class WaveDisplayMode {
    kPosNeg = 0,     // positive values up, negative values down, all channels together
    kLeftRight = 1,  // the left channel's magnitude up, the right one's down
    // The player's small display: per column the peak magnitude over all channels, drawn
    // symmetric about the middle at twice the height of the others (the peak >> 10, at most
    // 255), always from the samples, without loudness.
    kPeakMagnitude = 2,
};

// Columns c = 0..width over the view: column of frame x is round(x * scale) - first.
class WaveColumnMapping {
  public:
    WaveColumnMapping() = default;
    // A view of `length` frames from `start` over `width` columns; no view when length <= 0.
    WaveColumnMapping(std::int32_t start, std::int32_t length, int width);

    bool HasView() const { return length_ > 0; }
    std::int32_t Start() const { return start_; }
    std::int32_t Length() const { return length_; }
    int Width() const { return width_; }
    double Scale() const { return scale_; }
    std::int32_t First() const { return first_; }

    // -1 without a view or left of the view; at most Width().
    int ColumnOf(std::int64_t frame) const;
    // The first frame of column `column`.
    std::int64_t FrameOf(int column) const;

  private:
    std::int32_t start_ = 0;
    std::int32_t length_ = 0;
    int width_ = 1;
    double scale_ = 0.0;
    std::int32_t first_ = 0;
};

// Per column the extremes and the loudness. Positive up / negative down: upper and lower are the
// largest value and the negated smallest over all channels, each counted from 0, and both
// loudness values are the RMS over all channels. Left / right: upper is the left channel's, lower
// the right channel's. `high` and `low` are what the drawing spans: positive up / negative down
// from samples, the largest and smallest sample themselves (not counted from 0, so a close view
// of a slow wave is a band along it rather than a shape filled down to the middle); otherwise
// upper and -lower.
struct WaveColumns {
    std::vector<std::uint8_t> upper = std::vector<std::uint8_t>(kMaxWaveColumns, 0);
    std::vector<std::uint8_t> lower = std::vector<std::uint8_t>(kMaxWaveColumns, 0);
    std::vector<std::uint8_t> rms_upper = std::vector<std::uint8_t>(kMaxWaveColumns, 0);
    std::vector<std::uint8_t> rms_lower = std::vector<std::uint8_t>(kMaxWaveColumns, 0);
    std::vector<std::int16_t> high = std::vector<std::int16_t>(kMaxWaveColumns, 0);
    std::vector<std::int16_t> low = std::vector<std::int16_t>(kMaxWaveColumns, 0);

    // Columns [from, to) of `other`.
    void CopyFrom(const WaveColumns& other, int from, int to);
    // Moves the first `width` columns by `shift` (positive: to the right).
    void Shift(int shift, int width);
};

struct WaveDrawOptions {
    WaveDisplayMode mode = WaveDisplayMode::kPosNeg;
    bool vertical_zoom = false;  // eight times taller
};

// The frames of a view drawn as a line: from the frame before the view to the one after it
// (within the document), `channels` interleaved samples each.
struct WaveSamples {
    std::int64_t first = 0;
    int channels = 1;
    std::vector<Sample> values;

    std::int64_t Frames() const {
        return static_cast<std::int64_t>(values.size()) / std::max(channels, 1);
    }
};

// Whether the view is close enough that each frame spans at least one column: then it is drawn
// as a line through the frames rather than as columns.
inline bool DrawsSamples(const WaveColumnMapping& mapping) {
    return mapping.HasView() && mapping.Length() <= mapping.Width();
}

// The frames of a view that DrawsSamples; empty for any other.
WaveSamples ReadWaveSamples(const LCutListAudio& document, const WaveColumnMapping& mapping);

// Computes columns [from, to) of `mapping` over `document` into `columns`: from the samples when
// the view has at most 256 frames per column (length <= width * 256) or shows peak magnitudes,
// from the graph files otherwise. Stops early, leaving later columns as they were, once `stop`
// becomes true.
void ComputeWaveColumns(const LCutListAudio& document, const WaveColumnMapping& mapping, int from,
                        int to, const WaveDrawOptions& options, WaveColumns& columns,
                        const std::atomic<bool>* stop = nullptr);

// The two ways, for callers and tests that want one of them.
void ComputeColumnsFromSamples(const LCutListAudio& document, const WaveColumnMapping& mapping,
                               int from, int to, const WaveDrawOptions& options,
                               WaveColumns& columns, const std::atomic<bool>* stop = nullptr);
void ComputeColumnsFromGraphs(const LCutListAudio& document, const WaveColumnMapping& mapping,
                              int from, int to, const WaveDrawOptions& options,
                              WaveColumns& columns, const std::atomic<bool>* stop = nullptr);

}  // namespace sonvara
