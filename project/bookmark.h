#pragma once
// LSVBookMark: a named place in an open file, kept with how often and when it was last visited,
// and the bookmark list file (".wbm") that keeps a file's bookmarks beside it.
//
// On disk a bookmark is 529 bytes: name (260-byte text), the display name of its file (260),
// position in milliseconds (u32), times visited (u8), last visit in seconds since 1970 (32-bit),
// little-endian, no padding. A list file is a version byte (0), a count byte and that many
// records.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sonvara {

struct LSVBookMark {
    std::string name;
    std::string file;  // the display name of the file it belongs to
    std::uint32_t position_ms = 0;
    std::uint8_t visits = 1;
    std::uint32_t last_visit = 0;  // seconds since 1970

    bool operator==(const LSVBookMark&) const = default;
};

constexpr std::size_t kBookMarkBytes = 529;
using BookMarkRecord = std::array<std::uint8_t, kBookMarkBytes>;

// False when the name or the file's name does not fit its field.
bool EncodeBookMark(const LSVBookMark& bookmark, BookMarkRecord& record);
LSVBookMark DecodeBookMark(const std::uint8_t* record);

// The message of a stored file of another version, or one that is damaged.
extern const char* const kStoredVersionMessage;

// The list file of `audio_path`: its extension replaced by ".wbm", or ".wbm" appended when its
// name has none, or when the audio file is itself named ".wbm" (so that it is never written over).
std::string BookMarkListPath(const std::string& audio_path);

enum class BookMarkListResult { kRead, kAbsent, kOtherVersion, kDamaged };
// Appends the records of the list file `path` to `list`. Nothing is appended unless the whole
// file reads: kAbsent when it cannot be opened, kOtherVersion when its version is not 0,
// kDamaged when it is shorter than its count says.
BookMarkListResult LoadBookMarkList(const std::string& path, std::vector<LSVBookMark>& list);

// Replaces the list file `path` with the bookmarks of `list` whose file is `display_name`, in
// list order; removes it when there are none. False, with the reason in `error` and the old
// file in place, when a text does not fit, there are more than 255 or the file cannot be written.
bool SaveBookMarkList(const std::string& path, const std::vector<LSVBookMark>& list,
                      const std::string& display_name, std::string& error);

}  // namespace sonvara
