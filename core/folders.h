#pragma once
// Where the program keeps its files.
//
// The program folder is $XDG_DATA_HOME/Vellumtone/Sonvara (default ~/.local/share/...). Named
// folders ("Current", "DataFiles", ...) can be set in the "Folders" section of the settings; a
// folder that is not set lies beneath the program folder. GetFolder("Current") is the data
// folder: it holds the codec list, the macro key file and, by default, the working folder where
// the cut tank keeps its files.

#include <sys/types.h>

#include <string>
#include <string_view>

namespace sonvara {

// $HOME when it is an absolute path, else the home folder of the user's account; "" when
// neither is known.
std::string UserHomeFolder();

// The XDG base folder named by `variable` (say "XDG_CONFIG_HOME") when it is set to an absolute
// path (relative values are invalid by the XDG rules), else the home folder followed by
// `home_relative` (".config"); "" when there is no home folder.
std::string XdgBaseFolder(const char* variable, std::string_view home_relative);

// Creates `path` and every missing folder above it with `mode` (less the umask). Returns whether
// `path` is a folder afterwards.
bool CreateFolders(const std::string& path, mode_t mode);

// Creates the program folder when it is missing and returns it; "" when there is no home folder.
std::string GetProgramFolder();

// The folder set as `name` in "Folders" ("DataFiles" when `name` is empty). When none is set:
// the program folder, followed by "/" + `name` when a name was given; that sub-folder is created
// on demand. "" when there is no program folder.
std::string GetFolder(std::string_view name);

// The folder set as "WorkingFolder" in "Settings", else GetFolder("Current").
std::string GetWorkingFolder();

// The system's folder for short-lived files: $TMPDIR when it is an absolute path, else "/tmp".
std::string TemporaryFolder();

}  // namespace sonvara
