#pragma once
// Projects (".svp"): one file holding every open file with its audio and positions, the current
// file, the bookmarks and the regions, so that a session can be put away and taken up again.
//
// Layout, little-endian, no padding: version (u8, 0), file count N (u8), N times a 540-byte file
// header (path and previous path as 260-byte texts, then cursor, selection start and end, view
// start and end as i32 frames) followed by the file's audio block; the current file's index (u8);
// the bookmark count (u8) and the 529-byte records, grouped by file in file order; the region
// count (u8) and each 528-byte region record followed by its audio block.
//
// The processes run on the interface thread behind the progress view. The save writes a
// temporary file beside the target and renames it over the target only when all of it is
// written; texts that do not fit their fields and counts beyond 255 are refused, with the
// reason, before anything is written. The load checks every size it reads against the file's.

#include <cstdint>
#include <string>
#include <vector>

#include "core/progress_dialog.h"
#include "document/cut_list_audio.h"
#include "document/edit_document.h"
#include "project/bookmark.h"
#include "project/region.h"

namespace sonvara {

struct LSVProjectFile {
    std::string path;  // empty for an untitled file
    std::string previous_path;
    std::string display_name;  // the name its bookmarks carry; not stored
    LEditPositions positions;
    LCutListAudio audio;
};

struct LSVProject {
    std::vector<LSVProjectFile> files;
    int current = 0;
    std::vector<LSVBookMark> bookmarks;
    std::vector<LSVRegion> regions;
};

constexpr std::size_t kProjectFileHeaderBytes = 540;

// Why `project` cannot be stored, in words for the user; "" when it can.
std::string ProjectStoreProblem(const LSVProject& project);

class LSVSaveProject : public LProgressDialog {
  public:
    // Both must outlive the process.
    LSVSaveProject(const std::string& path, const LSVProject& project);

  protected:
    ProcessResult Body() override;

  private:
    ProcessResult WriteContent(class RecordWriter& writer);

    const std::string& path_;
    const LSVProject& project_;
};

class LSVLoadProject : public LProgressDialog {
  public:
    // The project read goes into `project`, which must be empty. After a failure it holds the
    // files read completely before it (and nothing after them).
    LSVLoadProject(const std::string& path, LSVProject& project);

  protected:
    ProcessResult Body() override;

  private:
    ProcessResult ReadContent(class RecordReader& reader);

    const std::string& path_;
    LSVProject& project_;
};

}  // namespace sonvara
