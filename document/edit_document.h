#pragma once
// LEditDocument: the editing side of an open file — its cut list, cursor, selection, visible
// stretch, tags and modified flag — with its undo and redo steps. Every command calls
// StartModifyCurrentFile before it changes the document and EndModifyCurrentFile after; Undo puts
// the newest step back and keeps the state it leaves as a redo step, until the next change.
// A step holds a cut list and positions, never audio: it costs memory in proportion to the
// list's records. The number of undo steps is "UndoLevels" in [Settings] (8; 1 to 100), read
// when the document is made.
//
// The editor learns of changes through callbacks (undo menu text, save command, redraw, play
// after an edit); any of them may be left empty. Used on the interface thread.

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "document/cut_list_audio.h"
#include "document/file_tags.h"

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
    static constexpr int kDefaultUndoLevels = 8;
    static constexpr int kMaxUndoLevels = 100;

    LEditDocument() : LEditDocument(LEditCallbacks()) {}
    explicit LEditDocument(LEditCallbacks callbacks);
    void SetCallbacks(LEditCallbacks callbacks) { callbacks_ = std::move(callbacks); }

    LCutListAudio& Audio() { return audio_; }
    const LCutListAudio& Audio() const { return audio_; }
    LEditPositions& Positions() { return positions_; }
    const LEditPositions& Positions() const { return positions_; }
    bool IsModified() const { return modified_ || tags_changed_; }
    void SetModified(bool modified);
    // The file's tags, kept through every edit and written by the next save. Not part of the
    // undo steps: changing them marks the document modified until it is saved (SetModified(false)),
    // whatever is undone.
    const FileTags& Tags() const { return tags_; }
    void SetTags(FileTags tags);

    // Stores an undo point named `name` (the oldest goes when there are UndoLevels() of them),
    // drops every redo step and marks the document modified.
    void StartModifyCurrentFile(const std::string& name);
    // For a change that failed or was cancelled after StartModifyCurrentFile: puts back the state
    // the newest point holds and drops that point without making it a redo step; the oldest point
    // and the redo steps the start dropped come back, so the history is as it was.
    void CancelModifyCurrentFile();
    // Puts the cursor at `pos` and redraws; with "AutoPlaybackAfterEffects" on (the default),
    // moves it `preroll` frames back (not before 0) and plays from there. The undo point and the
    // redo steps the start dropped are gone from here on.
    void EndModifyCurrentFile(std::int32_t pos, std::int32_t preroll);
    // Restores the newest undo point, if there is one; the state it replaces becomes a redo step.
    void Undo();
    // Restores the newest redo step, if there is one; the state it replaces becomes an undo point.
    void Redo();

    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    // "Deshacer <name>\tCtrl+Z", or "" when there is nothing to undo.
    std::string UndoMenuText() const;
    // "Rehacer <name>\tCtrl+Y", or "" when there is nothing to redo.
    std::string RedoMenuText() const;
    std::size_t UndoLevels() const { return levels_; }
    // The cut records the undo and redo steps hold, all together.
    std::size_t HeldRecords() const;

    // Drops the list and every undo point, and with them every reference on cut files.
    void Close();

  private:
    void Notify(const std::function<void()>& callback) const {
        if (callback) {
            callback();
        }
    }

    LEditCallbacks callbacks_;
    // The current state as a step named `name`; the list moves into it (Restore follows).
    LUndoPoint TakeState(const std::string& name);
    void Restore(LUndoPoint& point);

    LCutListAudio audio_;
    LEditPositions positions_;
    FileTags tags_;
    bool modified_ = false;
    bool tags_changed_ = false;
    std::size_t levels_;
    std::deque<LUndoPoint> undo_;   // oldest first
    std::vector<LUndoPoint> redo_;  // newest redo last
    // What the newest StartModifyCurrentFile took out of the history, until the change ends or
    // the next one starts.
    struct Dropped {
        std::deque<LUndoPoint> oldest;  // none or one
        std::vector<LUndoPoint> redo;
    } dropped_;
};

}  // namespace sonvara
