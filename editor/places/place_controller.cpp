// The place room's lists in the file windows' views: the places of a file as the views draw
// them, and a place dragged there moved in the lists.

#include <algorithm>

#include "editor/places/place_controller.h"

#include "editor/common/file_window.h"
#include "editor/common/workspace.h"
#include "project/record_fields.h"
#include "view/wave_window.h"

namespace sonvara {
namespace {

std::int32_t FrameOf(std::uint32_t ms, const LCutListAudio& audio) {
    return static_cast<std::int32_t>(
        std::min<std::int64_t>(MillisecondsToFrames(ms, audio.GetSampleRate()), audio.GetLength()));
}

// A region belongs to the file it was taken from; one of an untitled file cannot be told apart.
bool TakenFrom(const LSVRegion& region, const LSVFileWindow& file) {
    return !region.file.empty() && region.file == file.Path();
}

}  // namespace

PlaceController::PlaceController(EditorWorkspace& workspace, TransportController& transport)
    : workspace_(workspace), transport_(transport) {
    connect(&workspace_, &EditorWorkspace::fileAdded, this, [this](LSVFileWindow* file) {
        for (LSVWaveWindow* view : {file->WaveView(), file->Overview()}) {
            connect(view, &LSVWaveWindow::placeMoved, this,
                    [this, file](bool region, std::size_t index, std::int32_t start) {
                        MovePlace(file, region, index, start);
                    });
        }
    });
    connect(&workspace_, &EditorWorkspace::fileClosing, this,
            [this](LSVFileWindow* file) { ForgetBookMarks(file); });
}

PlaceController::~PlaceController() {
    delete places_.region_window.data();
    delete places_.bookmark_window.data();
}

void PlaceController::ShowPlacesIn(LSVFileWindow* file) {
    const LCutListAudio& audio = file->Document().Audio();
    std::vector<WavePlace> places;
    for (std::size_t i = 0; i < places_.regions.size(); ++i) {
        const LSVRegion& region = places_.regions[i];
        if (TakenFrom(region, *file)) {
            places.push_back({FrameOf(region.start_ms, audio), FrameOf(region.end_ms, audio),
                              QString::fromStdString(region.name), true, i});
        }
    }
    const std::string name = file->DisplayName();
    for (std::size_t i = 0; i < places_.bookmarks.size(); ++i) {
        const LSVBookMark& mark = places_.bookmarks[i];
        if (mark.file == name) {
            const std::int32_t frame = FrameOf(mark.position_ms, audio);
            places.push_back({frame, frame, QString::fromStdString(mark.name), false, i});
        }
    }
    file->WaveView()->SetPlaces(places);
    file->Overview()->SetPlaces(std::move(places));
}

void PlaceController::MovePlace(LSVFileWindow* file, bool region, std::size_t index,
                                std::int32_t start) {
    const LCutListAudio& audio = file->Document().Audio();
    const std::int32_t rate = audio.GetSampleRate();
    if (region && index < places_.regions.size() && TakenFrom(places_.regions[index], *file)) {
        LSVRegion& moved = places_.regions[index];
        const std::int32_t length = FrameOf(moved.end_ms, audio) - FrameOf(moved.start_ms, audio);
        const std::int32_t end = std::min(start + length, audio.GetLength());
        moved.start_ms = FramesToMilliseconds(start, rate);
        moved.end_ms = FramesToMilliseconds(end, rate);
        audio.EfCopy(start, end, moved.audio);
    } else if (!region && index < places_.bookmarks.size() &&
               places_.bookmarks[index].file == file->DisplayName()) {
        places_.bookmarks[index].position_ms = FramesToMilliseconds(start, rate);
        file->Document().SetModified(true);
    }
    RefreshPlaces();
}

}  // namespace sonvara
