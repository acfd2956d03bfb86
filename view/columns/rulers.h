#pragma once
// The marks of the time ruler above a waveform view and of the level scale beside it, without
// any toolkit. The ruler labels times as hours:minutes:seconds with as many decimals as its step
// needs, and frame numbers once a step is shorter than a millisecond; its step is the shortest
// one whose labels stay a given number of columns apart. The scale marks decibels below full
// scale at their distance from the middle line.

#include <cstdint>
#include <string>
#include <vector>

namespace sonvara {

struct RulerTick {
    double column = 0;  // within the view, fractional
    bool labelled = false;
    std::string label;  // for labelled ticks
};

// The ticks over `columns` columns of a view that starts at `start` (a fractional frame) with
// `frames_per_column` frames a column, at `sample_rate`. Labelled ticks are at least
// `label_columns` columns apart, and none closer to the right edge; four or five unlabelled ones
// lie between two labelled ones.
std::vector<RulerTick> TimeRulerTicks(double start, double frames_per_column, int columns,
                                      std::int32_t sample_rate, double label_columns);

// The text of time `seconds` with `decimals` decimals: "m:ss", "h:mm:ss", "m:ss.d" and so on.
std::string RulerTimeText(double seconds, int decimals);

struct LevelMark {
    int decibels = 0;  // 0 at full scale
    double offset =
        0;  // from the middle line, in pixels (up for the upper half, down for the lower)
};

// The decibel marks that fit in `half_height` pixels (full scale at the edge, or eight times
// nearer the middle with vertical zoom), each at least `min_gap` pixels from the last one and
// from the middle line.
std::vector<LevelMark> LevelScaleMarks(double half_height, bool vertical_zoom, double min_gap);

}  // namespace sonvara
