#pragma once
// Taking paths apart and putting them together.
//
// Paths are byte strings. When a path is taken apart, both "\" and "/" separate folders, so
// paths stored by older versions (projects, bookmark lists, settings) still split correctly;
// the program itself joins with "/". In memory a path has no length limit. Files that keep a
// path in a fixed 260-byte field check it with FitsPathField first and refuse what does not fit.
//
// An extension is the text from the last "." of the file name on, dot included. A dot inside a
// folder name does not start one, nor does a dot at the very first position of the path.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sonvara {

// The most characters a path may have in a 260-byte on-disk field (one byte for the zero).
inline constexpr std::size_t kMaxPathField = 259;

// Whether `path` can be stored in a 260-byte, zero-terminated field: at most kMaxPathField
// bytes and no zero byte of its own (which would cut it short when read back).
bool FitsPathField(std::string_view path);

bool IsPathSeparator(char c);

// `path` with its extension replaced by `ext` (which carries its own dot); a path without an
// extension comes back as it was.
std::string ApplyNewFileExtension(std::string_view path, std::string_view ext);

// Everything before the last separator, without it; "" when there is no separator.
std::string GetFolderFromPath(std::string_view path);

// Everything after the last separator; the whole path when there is none.
std::string GetFileFromPath(std::string_view path);

// The extension with its dot, or "" when there is none.
std::string GetFileExtension(std::string_view path);

// The file name, cut at its last dot unless that dot is the name's first character.
std::string GetFileNameWithoutExtension(std::string_view path);

// `folder` + "/" + `name`; the "/" is left out when `folder` is empty or already ends in a
// separator. The three-part form appends `suffix` (typically an extension) as well.
std::string FilePathCat(std::string_view folder, std::string_view name);
std::string FilePathCat(std::string_view folder, std::string_view name, std::string_view suffix);

// The canonical absolute form of an existing path (links and "." / ".." resolved); the path as
// given when that cannot be had.
std::string GetLongFilePath(const std::string& path);

// The names of the entries of `folder`, "." and ".." included; none when it cannot be read.
std::vector<std::string> FolderEntryNames(const std::string& folder);

// Deletes every file in `folder` whose name does not start with ".", leaving sub-folders alone,
// then removes the folder. Returns whether the folder is gone: false when anything (a sub-folder,
// a hidden file) is left in it.
bool DeleteFolderAndFiles(const std::string& folder);

}  // namespace sonvara
