#pragma once
// Making a program the desktop's opener of file types, the XDG way: the MIME types that the shared
// MIME database gives a file name extension (its "mime/globs2" lists), a desktop entry in the
// user's $XDG_DATA_HOME/applications, and default applications in $XDG_CONFIG_HOME/mimeapps.list.
// The user's files are replaced whole (a temporary file renamed over them), and only when their
// content changes; a file that exists but cannot be read is left alone. No toolkit, no threads.

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sonvara {

// The MIME types whose globs name files ending in "." + `extension` ("*.wav"), in the order the
// lists give them, each once. The lists are read from "mime/globs2" under $XDG_DATA_HOME, then
// under each folder of $XDG_DATA_DIRS (default /usr/local/share:/usr/share); a type marked
// "__NOGLOBS__" in a list drops its globs from the lists after it. Globs compare without regard to
// ASCII case unless they carry the flag "cs". Empty when the system knows no type.
std::vector<std::string> MimeTypesOfExtension(std::string_view extension);

// `program` written as the program of a desktop entry's Exec value, "%" doubled. A path with a
// character that Exec reserves (a blank, a quote, "$"...) goes in double quotes, with the quoting's
// escapes escaped again as the entry's string values are (so a backslash becomes four); others
// stay bare, as some readers of entries take the first word as it stands. Empty when the path
// holds a line break or a control character, which an entry cannot carry.
std::string DesktopExecProgram(std::string_view program);

// The text of a mimeapps.list with `desktop_id` first among the default applications of each of
// `types` (group "[Default Applications]", made at the end when missing); applications that were
// named stay, after it. Every other line stays as it was.
std::string WithDefaultApplication(std::string_view mimeapps, std::span<const std::string> types,
                                   std::string_view desktop_id);

// $XDG_DATA_HOME/applications and $XDG_CONFIG_HOME/mimeapps.list (with their defaults under the
// home folder); "" when there is no home folder.
std::string UserApplicationsFolder();
std::string UserMimeAppsPath();

// Puts `text` in the file `path` (the file a link points to, for a link), making missing folders,
// unless it holds that text already. On failure `error` says which file could not be written.
bool ReplaceTextFile(const std::string& path, std::string_view text, std::string& error);

// Makes `desktop_id` the default application of `types` in the user's mimeapps.list. On failure
// (the list cannot be read or written) nothing changes and `error` names the file.
bool SetUserDefaultApplication(std::span<const std::string> types, std::string_view desktop_id,
                               std::string& error);

}  // namespace sonvara
