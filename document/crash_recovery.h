#pragma once
// Crash recovery. While a document is modified (or a recording is under way), an LRecoveryJournal
// keeps its recovery file (recovery_file.h) in the working folder up to date; it is removed when
// the document is saved or closed. When the editor dies, its cut files and recovery files stay
// behind, and the next editor's tank holds the cut files as leftovers (cut_tank.h).
// RecoverDocuments puts the documents back together from them; once the editor has opened them
// (each with a journal of its own by then), FinishRecovery removes the old recovery files and
// lets the tank delete the leftovers that no document took.

#include <cstdint>
#include <string>
#include <vector>

#include "document/cut_list_audio.h"
#include "document/cut_tank.h"

namespace sonvara {

class LRecoveryJournal {
  public:
    explicit LRecoveryJournal(LAudioCutTank& tank = CutTank()) : tank_(tank) {}
    // Removes the recovery file.
    ~LRecoveryJournal() { Drop(); }
    LRecoveryJournal(const LRecoveryJournal&) = delete;
    LRecoveryJournal& operator=(const LRecoveryJournal&) = delete;

    // Replaces the recovery file with `audio` under `name`; `open_cut` is a cut still being
    // written (a recording's segment), which recovery takes up to the end of its file. Writes
    // only when the content changed since the last Keep, so callers may call it after every
    // command. False when the file cannot be written: the one kept before stays as it was.
    bool Keep(const std::string& name, const LCutListAudio& audio,
              std::uint16_t open_cut = kSilentCut);
    // Removes the recovery file: nothing is left to recover.
    void Drop();
    // "" until the first Keep.
    const std::string& Path() const { return path_; }

  private:
    LAudioCutTank& tank_;
    std::string path_;
    std::string kept_;  // the bytes the file holds
};

struct LRecoveredDocument {
    std::string name;
    LCutListAudio audio;
    // Some of its audio could not be found (a cut file missing or too short): silence stands in.
    bool incomplete = false;
};

struct LCrashRecovery {
    std::vector<LRecoveredDocument> documents;
    std::vector<std::string> read_files;        // removed by FinishRecovery
    std::vector<std::string> unreadable_files;  // kept, and the leftovers with them
};

// Reads the recovery files in `tank`'s folder, oldest first, and puts their documents back
// together over the tank's leftover cut files.
LCrashRecovery RecoverDocuments(LAudioCutTank& tank = CutTank());
// Removes the recovery files that were read and, when every one could be read, releases the
// tank's leftovers. Call once the recovered documents hold their references.
void FinishRecovery(const LCrashRecovery& recovery, LAudioCutTank& tank = CutTank());

}  // namespace sonvara
