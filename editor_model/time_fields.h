#pragma once
// The four time fields of the frame's status bar: selection start, selection end, selection
// length and cursor, as the texts the frame shows for a file's positions. Toolkit-free.

#include <cstdint>
#include <string>

#include "document/edit_document.h"

namespace sonvara {

struct TimeFieldTexts {
    std::string selection_start;   // h:mm:ss.hh
    std::string selection_end;     // h:mm:ss.hh
    std::string selection_length;  // h:mm:ss.mmm
    std::string cursor;            // h:mm:ss.hh

    bool operator==(const TimeFieldTexts&) const = default;
};

// Positions in frames at `rate`; a rate of 0 or less shows every field as zero.
TimeFieldTexts MakeTimeFields(const LEditPositions& positions, std::int32_t rate);

}  // namespace sonvara
