#pragma once
// The file types the editor offers to open for the desktop: the check boxes of the options' General
// page (the setting in [Settings] that keeps each, its label, its extensions), the MIME types the
// editor opens (its desktop entry lists them), all read from the format table
// (formats/format_table.h), and the registration of the checked ones as the user's defaults. A
// type is registered through the MIME type that the system's database gives its extension; an
// extension the database does not know as one of the editor's types (".raw" is a camera's picture
// there) is passed over. Nothing is ever unregistered. No toolkit.

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace sonvara {

struct FileTypeChoice {
    const char* setting;  // in [Settings], on by default
    const char* label;
    std::array<const char*, 3> extensions;  // unused ones null
};

// In the page's order.
std::span<const FileTypeChoice> FileTypeChoices();

// The MIME types the editor opens, in its desktop entry's order.
std::span<const char* const> EditorMimeTypes();

// The desktop entry's file name ("sonvara.desktop"), which names the editor in mimeapps.list.
inline constexpr std::string_view kDesktopId = "sonvara.desktop";

// The editor's desktop entry starting `exec_program` (as DesktopExecProgram writes a path, or a
// bare program name found on the search path) with the files to open.
std::string EditorDesktopEntry(std::string_view exec_program);

// Makes the editor at `program` the user's opener of the files of `checked`: its desktop entry in
// $XDG_DATA_HOME/applications and its place as the default application of their MIME types in
// $XDG_CONFIG_HOME/mimeapps.list. Nothing is written when no checked extension has a known type.
// On failure `error` says which file could not be written.
bool RegisterFileTypes(std::span<const FileTypeChoice* const> checked, const std::string& program,
                       std::string& error);

}  // namespace sonvara
