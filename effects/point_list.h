#pragma once
// PointList: the shape the equalizer and envelope dialogs edit, and the files that keep it
// between sessions. Up to 64 (x, y) byte pairs: x runs along the axis (frequency for the
// equalizer, the selection for the envelope) from 0 to 255 and never goes back; y is a level with
// 128 at unity.
//
// The file is the bare record: one count byte, then that many (x, y) byte pairs, no header. The
// files live in the data folder (GetFolder("Current")). They are read as untrusted input: a count
// larger than the pairs present, or than 64, gives only the pairs that are there and fit.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "document/cut_list_audio.h"
#include "document/frame_range.h"
#include "effects/envelope.h"

namespace sonvara {

inline constexpr int kPointListMax = 64;
inline constexpr std::string_view kEqualizerPointsFile = "equalizer.dat";
inline constexpr std::string_view kEnvelopePointsFile = "envelope.dat";

struct PointList {
    struct Point {
        std::uint8_t x;
        std::uint8_t y;
        bool operator==(const Point&) const = default;
    };

    // Default: a flat line at unity.
    std::uint8_t n_points = 2;
    std::array<Point, kPointListMax> points{{{0, 128}, {255, 128}}};

    // Replaces the list with the file's; a file that cannot be opened gives 0 points. Returns
    // whether the file was opened.
    bool Load(const std::string& path);
    // Writes the count and the pairs in place of the file's old content; false when it fails.
    bool Save(const std::string& path) const;
    // Caps the count at 64 and raises each x to at least the x before it.
    void Validate();

    // The points in use (n_points, read no further than the array holds).
    int Count() const { return n_points < kPointListMax ? n_points : kPointListMax; }
    BytePointList ToBytePointList() const;
};

// The list kept in `file_name` in the data folder, validated. A missing or empty list becomes the
// default and is written back at once, so the file exists after the first use.
PointList LoadStoredPointList(std::string_view file_name);

// The envelope effect with the points kept in "envelope.dat", read when the process is made.
class LEfStoredEnvelope : public LEfEnvelope {
  public:
    LEfStoredEnvelope(LCutListAudio& document, FrameRange range)
        : LEfEnvelope(document, range, LoadStoredPointList(kEnvelopePointsFile).ToBytePointList()) {
    }
};

}  // namespace sonvara
