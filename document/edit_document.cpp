#include "document/edit_document.h"

#include <algorithm>

#include "core/settings.h"

namespace sonvara {

void LEditDocument::StartModifyCurrentFile(const std::string& name) {
    index_ = (index_ + 1) % kUndoPoints;
    LUndoPoint& point = points_[index_];
    point.modified = modified_;
    point.audio = audio_;  // the overwritten point's references go, the copy takes new ones
    point.positions = positions_;
    point.name = name;
    modified_ = true;
    Notify(callbacks_.modified);
    Notify(callbacks_.undo_menu_changed);
}

void LEditDocument::EndModifyCurrentFile(std::int32_t pos, std::int32_t preroll) {
    positions_.cursor = pos;
    Notify(callbacks_.redraw);
    if (ReadBool("Settings", "AutoPlaybackAfterEffects", true)) {
        positions_.cursor =
            static_cast<std::int32_t>(std::max<std::int64_t>(std::int64_t{pos} - preroll, 0));
        if (callbacks_.play_from) {
            callbacks_.play_from(positions_.cursor);
        }
    }
}

void LEditDocument::Undo() {
    LUndoPoint& point = points_[index_];
    if (point.name.empty()) {
        return;
    }
    modified_ = point.modified;
    audio_ = std::move(point.audio);
    point.audio = LCutListAudio();
    positions_ = point.positions;
    point.name.clear();
    index_ = (index_ + kUndoPoints - 1) % kUndoPoints;
    Notify(callbacks_.undo_menu_changed);
    Notify(callbacks_.redraw);
}

std::string LEditDocument::UndoMenuText() const {
    return CanUndo() ? "Deshacer " + points_[index_].name + "\tCtrl+Z" : std::string();
}

void LEditDocument::Close() {
    audio_.Clear();
    for (LUndoPoint& point : points_) {
        point = LUndoPoint();
    }
}

}  // namespace sonvara
