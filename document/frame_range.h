#pragma once
// FrameRange: a stretch [start, end) of a document in frames, the selection an effect works on.
// A range whose end lies before its start is reversed; the effects do nothing with one.

#include <cstdint>

namespace sonvara {

struct FrameRange {
    std::int32_t start = 0;
    std::int32_t end = 0;

    bool Reversed() const { return end < start; }
    // Computed in 64 bits: a range may span the whole 32-bit frame space.
    std::int64_t Length() const { return std::int64_t{end} - start; }
    bool operator==(const FrameRange&) const = default;
};

}  // namespace sonvara
