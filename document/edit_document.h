#pragma once
// LEditDocument: the editing side of an open file — its cut list, cursor, selection, visible
// stretch and modified flag — with the undo ring of eight points. Every command calls
// StartModifyCurrentFile before it changes the document and EndModifyCurrentFile after; Undo puts
// the newest point back. There is no redo.
//
// The editor learns of changes through callbacks (undo menu text, save command, redraw, play
// after an edit); any of them may be left empty. Used on the interface thread.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "document/cut_list_audio.h"

namespace sonvara {

// The positions an undo point restores, in frames.
struct LEditPositions {
    std::int32_t cursor = 0;
    std::int32_t selection_start = 0;
    std::int32_t selection_end = 0;
    std::int32_t view_start = 0;
    std::int32_t view_end = 0;

    bool operator==(const LEditPositions&) const = default;
};

struct LUndoPoint {
    bool modified = false;
    LCutListAudio audio;  // with the rate and channels before the edit
    LEditPositions positions;
    std::string name;  // empty: no point
};

struct LEditCallbacks {
    std::function<void()> undo_menu_changed;  // UndoMenuText() and CanUndo() changed
    std::function<void()> modified;           // the document became modified: enable saving
    std::function<void()> redraw;
    std::function<void(std::int32_t)> play_from;
};

class LEditDocument {
  public:
    static constexpr std::size_t kUndoPoints = 8;

    LEditDocument() = default;
    explicit LEditDocument(LEditCallbacks callbacks) : callbacks_(std::move(callbacks)) {}
    void SetCallbacks(LEditCallbacks callbacks) { callbacks_ = std::move(callbacks); }

    LCutListAudio& Audio() { return audio_; }
    const LCutListAudio& Audio() const { return audio_; }
    LEditPositions& Positions() { return positions_; }
    const LEditPositions& Positions() const { return positions_; }
    bool IsModified() const { return modified_; }
    void SetModified(bool modified) { modified_ = modified; }

    // Stores an undo point named `name` (the oldest of eight is overwritten) and marks the
    // document modified.
    void StartModifyCurrentFile(const std::string& name);
    // Puts the cursor at `pos` and redraws; with "AutoPlaybackAfterEffects" on (the default),
    // moves it `preroll` frames back (not before 0) and plays from there.
    void EndModifyCurrentFile(std::int32_t pos, std::int32_t preroll);
    // Restores the newest point, if there is one, and empties it.
    void Undo();

    bool CanUndo() const { return !points_[index_].name.empty(); }
    // "Deshacer <name>\tCtrl+Z", or "" when there is nothing to undo.
    std::string UndoMenuText() const;

    // Drops the list and every undo point, and with them every reference on cut files.
    void Close();

  private:
    void Notify(const std::function<void()>& callback) const {
        if (callback) {
            callback();
        }
    }

    LEditCallbacks callbacks_;
    LCutListAudio audio_;
    LEditPositions positions_;
    bool modified_ = false;
    std::array<LUndoPoint, kUndoPoints> points_;
    std::size_t index_ = 0;
};

}  // namespace sonvara
