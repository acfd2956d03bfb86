#include "document/edit_document.h"

#include <algorithm>

#include "core/settings.h"

namespace sonvara {

LEditDocument::LEditDocument(LEditCallbacks callbacks)
    : callbacks_(std::move(callbacks)),
      levels_(static_cast<std::size_t>(
          std::clamp(ReadInt("Settings", "UndoLevels", kDefaultUndoLevels), 1, kMaxUndoLevels))) {}

void LEditDocument::SetModified(bool modified) {
    modified_ = modified;
    tags_changed_ = tags_changed_ && modified;
}

void LEditDocument::SetTags(FileTags tags) {
    if (tags == tags_) {
        return;
    }
    tags_ = std::move(tags);
    tags_changed_ = true;
    Notify(callbacks_.modified);
}

void LEditDocument::StartModifyCurrentFile(const std::string& name) {
    dropped_ = {};
    dropped_.redo = std::move(redo_);
    redo_.clear();
    if (undo_.size() >= levels_) {
        dropped_.oldest.push_back(std::move(undo_.front()));
        undo_.pop_front();
    }
    undo_.push_back(LUndoPoint{modified_, audio_, positions_, name});
    modified_ = true;
    Notify(callbacks_.modified);
    Notify(callbacks_.undo_menu_changed);
}

void LEditDocument::CancelModifyCurrentFile() {
    if (undo_.empty()) {
        return;
    }
    Restore(undo_.back());
    undo_.pop_back();
    if (!dropped_.oldest.empty()) {
        undo_.push_front(std::move(dropped_.oldest.front()));
    }
    redo_ = std::move(dropped_.redo);
    dropped_ = {};
    Notify(callbacks_.undo_menu_changed);
    Notify(callbacks_.redraw);
}

void LEditDocument::EndModifyCurrentFile(std::int32_t pos, std::int32_t preroll) {
    dropped_ = {};  // the change is made: what it took out of the history goes with its files
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

LUndoPoint LEditDocument::TakeState(const std::string& name) {
    return LUndoPoint{modified_, std::move(audio_), positions_, name};
}

void LEditDocument::Restore(LUndoPoint& point) {
    modified_ = point.modified;
    audio_ = std::move(point.audio);
    positions_ = point.positions;
}

void LEditDocument::Undo() {
    if (undo_.empty()) {
        return;
    }
    dropped_ = {};
    LUndoPoint point = std::move(undo_.back());
    undo_.pop_back();
    redo_.push_back(TakeState(point.name));
    Restore(point);
    Notify(callbacks_.undo_menu_changed);
    Notify(callbacks_.redraw);
}

void LEditDocument::Redo() {
    if (redo_.empty()) {
        return;
    }
    dropped_ = {};
    LUndoPoint point = std::move(redo_.back());
    redo_.pop_back();
    undo_.push_back(TakeState(point.name));
    Restore(point);
    if (modified_) {
        Notify(callbacks_.modified);
    }
    Notify(callbacks_.undo_menu_changed);
    Notify(callbacks_.redraw);
}

std::string LEditDocument::UndoMenuText() const {
    return CanUndo() ? "Deshacer " + undo_.back().name + "\tCtrl+Z" : std::string();
}

std::string LEditDocument::RedoMenuText() const {
    return CanRedo() ? "Rehacer " + redo_.back().name + "\tCtrl+Y" : std::string();
}

std::size_t LEditDocument::HeldRecords() const {
    const auto records = [](const auto& points) {
        std::size_t count = 0;
        for (const LUndoPoint& point : points) {
            count += point.audio.Records().Count();
        }
        return count;
    };
    return records(undo_) + records(redo_) + records(dropped_.oldest) + records(dropped_.redo);
}

void LEditDocument::Close() {
    audio_.Clear();
    undo_.clear();
    redo_.clear();
    dropped_ = {};
}

}  // namespace sonvara
