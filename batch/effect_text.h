#pragma once
// The values of an effect as a user types them on a command line: times along a file, levels,
// frequencies, and the equalizer's and the envelope's point lists. Each parser takes the text as
// typed (blanks around it are ignored), returns the value, or returns nothing and sets `problem`
// to a message that quotes the text and says what was expected. Each value has a text form that
// parses back to the same value.
//
// The points are the bytes of a PointList, converted on the scales the point-list graphs of the
// editor show: x 0 to 255 is 0 to 20000 Hz on the equalizer's graph; a level y reads
// y × 100 ÷ 128 % on the equalizer's graph (128 = 100 %, unity) and y × 200 ÷ 255 % on the
// envelope's (255 = 200 %). A level in decibels is the gain itself: y = 128 × 10^(dB ÷ 20). A
// typed value becomes the byte whose value on the scale lies nearest to it.
//
// Numbers are plain decimals with "." before the fraction, read the same in every locale.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"
#include "effects/point_list.h"

namespace sonvara {

// A place or a length in the file an effect works on: milliseconds, or hundredths of a percent
// of the file's length (0 to 10000). Typed as seconds ("1.5", "1.5s"), milliseconds ("250ms"), a
// clock time ("1:30", "1:02:03.5") or a percent ("25%").
struct EffectTime {
    bool percent = false;
    std::int64_t amount = 0;
    bool operator==(const EffectTime&) const = default;
};

Result<EffectTime> ParseEffectTime(std::string_view text);
std::string EffectTimeText(const EffectTime& time);
// The frame `time` names in a file of `length` frames at `rate`: a percent is rounded to the
// nearest frame, milliseconds are turned into frames as silence lengths are. A failure for a time
// past the end (the length rounded up to the millisecond is still inside).
Result<std::int32_t> EffectTimeFrame(const EffectTime& time, std::int32_t length,
                                     std::int32_t rate);

enum class LevelScale { kEqualizer, kEnvelope };

// "50%", "50" (a percent on the graph's scale) or "-6dB"; refused above the graph's top (y 255).
Result<std::uint8_t> ParseLevel(std::string_view text, LevelScale scale);
std::string LevelText(std::uint8_t y, LevelScale scale);

// "1000", "1000Hz", "2.5kHz" or "2.5k", from 0 to 20000 Hz, as the equalizer graph's x.
Result<std::uint8_t> ParseFrequency(std::string_view text);
std::string FrequencyText(std::uint8_t x);

// "FREQUENCY:LEVEL,...": 2 to 64 points in order of frequency.
Result<std::vector<PointList::Point>> ParseEqualizerPoints(std::string_view text);
std::string EqualizerPointsText(const std::vector<PointList::Point>& points);

// An envelope point as typed: its place is resolved once the file's length is known.
struct EnvelopeTextPoint {
    EffectTime at;
    std::uint8_t level = 128;
    bool operator==(const EnvelopeTextPoint&) const = default;
};

// "TIME:LEVEL,...": 2 to 64 points in order of time (a clock time may hold ":" itself: a point
// is split at its last ":"). Points of the same kind of time out of order are refused here;
// a percent and a time are compared by EnvelopePointList.
Result<std::vector<EnvelopeTextPoint>> ParseEnvelopePoints(std::string_view text);
std::string EnvelopePointsText(const std::vector<EnvelopeTextPoint>& points);

// The envelope's byte list for a file of `length` frames at `rate`: each point's x is the one of
// 0 to 255 whose place along the file (as the envelope engine places it) lies nearest to the
// point's time. A failure for a time past the end or points that end up out of order.
Result<PointList> EnvelopePointList(const std::vector<EnvelopeTextPoint>& points,
                                    std::int32_t length, std::int32_t rate);

}  // namespace sonvara
