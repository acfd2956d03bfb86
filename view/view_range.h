#pragma once
// The stretch of a document a file window's main view shows, and how the zoom commands and the
// scroll bar move it. Toolkit-free; frames throughout.

#include <cstdint>
#include <optional>

namespace sonvara {

struct ViewRange {
    std::int32_t start = 0;
    std::int32_t end = 0;  // exclusive

    bool operator==(const ViewRange&) const = default;
};

// start >= 0 and end <= the document's length.
ViewRange ClampView(ViewRange view, std::int32_t document_length);

// Half as long (at least 100 frames), a quarter of the old length left of the cursor.
ViewRange ZoomIn(ViewRange view, std::int32_t cursor, std::int32_t document_length);
// Twice as long (at most the document), a quarter of the new length added on the left.
ViewRange ZoomOut(ViewRange view, std::int32_t document_length);
// The selection, when it is not empty.
std::optional<ViewRange> ZoomSelection(std::int32_t selection_start, std::int32_t selection_end,
                                       std::int32_t document_length);

// Scroll bar positions run from 0 to 200 over the document.
inline constexpr int kScrollRange = 200;

// The cursor a scroll bar action asks for: two seconds left or right of `cursor` (not below 0),
// or the thumb's place in the document.
std::int32_t ScrollStep(std::int32_t cursor, std::int32_t sample_rate, bool to_the_right);
std::int32_t ScrollThumb(int thumb, std::int32_t document_length);

// The view after the cursor moved to `cursor`: unchanged when the cursor lies inside it,
// otherwise the same length moved so that the cursor is in its middle.
ViewRange FollowCursor(ViewRange view, std::int32_t cursor, std::int32_t document_length);

}  // namespace sonvara
