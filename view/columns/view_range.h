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

// The scroll bar stands for the whole document in kScrollSteps positions: its thumb is as long as
// the view's share of the document and lies where the view lies. A scroll bar counts in int, so
// frames (an hour at 44.1 kHz is 159 million) are mapped onto these steps rather than used.
inline constexpr int kScrollSteps = 1 << 20;

struct ScrollBarPlace {
    int maximum = 0;          // the range is 0..maximum
    int page = kScrollSteps;  // the thumb's length
    int value = 0;
};
ScrollBarPlace ScrollBarFor(ViewRange view, std::int32_t document_length);
// The view of the same length whose place the thumb at `value` shows.
ViewRange ViewAtThumb(int value, ViewRange view, std::int32_t document_length);

// The cursor a scroll bar step asks for: two seconds left or right of `cursor` (not below 0).
std::int32_t ScrollStep(std::int32_t cursor, std::int32_t sample_rate, bool to_the_right);

// The view moved by `frames` (negative: toward the start), its length kept, within the document.
ViewRange ScrollView(ViewRange view, std::int64_t frames, std::int32_t document_length);
// The view `factor` times as long (at least kMinViewFrames, at most the document), placed so that
// `anchor` stays where it was within the view.
inline constexpr std::int32_t kMinViewFrames = 16;
ViewRange ZoomAbout(ViewRange view, std::int64_t anchor, double factor,
                    std::int32_t document_length);

// The view after the cursor moved to `cursor`: unchanged when the cursor lies inside it,
// otherwise the same length moved so that the cursor is in its middle.
ViewRange FollowCursor(ViewRange view, std::int32_t cursor, std::int32_t document_length);
// The view under a play cursor at `cursor`: unchanged when the cursor lies inside it, otherwise
// turned by whole pages the cursor's way, so that the cursor starts a page going forwards and
// ends one going backwards.
ViewRange PageToCursor(ViewRange view, std::int32_t cursor, std::int32_t document_length);

}  // namespace sonvara
