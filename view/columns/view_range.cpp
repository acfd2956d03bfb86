#include "view/columns/view_range.h"

#include <algorithm>
#include <cmath>

namespace sonvara {

ViewRange ClampView(ViewRange view, std::int32_t document_length) {
    view.start = std::max(view.start, 0);
    view.end = std::min(view.end, document_length);
    return view;
}

ViewRange ZoomIn(ViewRange view, std::int32_t cursor, std::int32_t document_length) {
    const std::int32_t half = std::max((view.end - view.start) / 2, 100);
    const std::int32_t start = std::max(cursor - half / 2, 0);
    return ClampView({start, start + half}, document_length);
}

ViewRange ZoomOut(ViewRange view, std::int32_t document_length) {
    const double doubled = std::round(static_cast<double>(view.end - view.start) * 2.0);
    const auto length =
        static_cast<std::int32_t>(std::min(doubled, static_cast<double>(document_length)));
    const auto start = static_cast<std::int32_t>(
        std::max(std::round(static_cast<double>(view.start) - length * 0.25), 0.0));
    return ClampView({start, start + length}, document_length);
}

std::optional<ViewRange> ZoomSelection(std::int32_t selection_start, std::int32_t selection_end,
                                       std::int32_t document_length) {
    if (selection_start >= selection_end) {
        return std::nullopt;
    }
    return ClampView({selection_start, selection_end}, document_length);
}

std::int32_t ScrollStep(std::int32_t cursor, std::int32_t sample_rate, bool to_the_right) {
    const std::int64_t target = static_cast<std::int64_t>(cursor) +
                                (to_the_right ? 2 : -2) * static_cast<std::int64_t>(sample_rate);
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(target, 0, INT32_MAX));
}

ScrollBarPlace ScrollBarFor(ViewRange view, std::int32_t document_length) {
    ScrollBarPlace place;
    if (document_length <= 0 || view.end <= view.start) {
        return place;
    }
    const double steps_per_frame = static_cast<double>(kScrollSteps) / document_length;
    place.page = std::clamp(
        static_cast<int>(std::lround((view.end - view.start) * steps_per_frame)), 1, kScrollSteps);
    place.maximum = kScrollSteps - place.page;
    place.value =
        std::clamp(static_cast<int>(std::lround(view.start * steps_per_frame)), 0, place.maximum);
    return place;
}

ViewRange ViewAtThumb(int value, ViewRange view, std::int32_t document_length) {
    const std::int32_t length = view.end - view.start;
    const auto start = static_cast<std::int32_t>(
        std::lround(static_cast<double>(value) * document_length / kScrollSteps));
    return ScrollView({start, start + length}, 0, document_length);
}

ViewRange ScrollView(ViewRange view, std::int64_t frames, std::int32_t document_length) {
    const std::int32_t length = std::min(view.end - view.start, document_length);
    const auto start = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(view.start + frames, 0, std::max(document_length - length, 0)));
    return {start, start + length};
}

ViewRange ZoomAbout(ViewRange view, std::int64_t anchor, double factor,
                    std::int32_t document_length) {
    const std::int32_t old_length = view.end - view.start;
    if (old_length <= 0 || document_length <= 0) {
        return view;
    }
    const auto length = static_cast<std::int32_t>(
        std::clamp<double>(std::round(old_length * factor),
                           std::min(kMinViewFrames, document_length), document_length));
    const double share = static_cast<double>(anchor - view.start) / old_length;
    const auto start = static_cast<std::int64_t>(std::llround(anchor - share * length));
    return ScrollView({0, length}, start, document_length);
}

ViewRange FollowCursor(ViewRange view, std::int32_t cursor, std::int32_t document_length) {
    if (cursor >= view.start && cursor < view.end) {
        return view;
    }
    const std::int32_t length = view.end - view.start;
    std::int32_t start = std::clamp(cursor - length / 2, 0, std::max(document_length - length, 0));
    return ClampView({start, start + length}, document_length);
}

ViewRange PageToCursor(ViewRange view, std::int32_t cursor, std::int32_t document_length) {
    if (cursor >= view.start && cursor < view.end) {
        return view;
    }
    const std::int32_t length = view.end - view.start;
    // The last page keeps the view's length: it ends at the document's end.
    const std::int32_t start = std::clamp(cursor >= view.end ? cursor : cursor - length + 1, 0,
                                          std::max(document_length - length, 0));
    return ClampView({start, start + length}, document_length);
}

}  // namespace sonvara
