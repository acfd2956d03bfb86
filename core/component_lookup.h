#pragma once
// Finding the separately installed codec components that Sonvara starts or loads. A component
// is registered through the "Path" value of the settings section "Components/<name>".

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sonvara {

// The settings section that registers `component` ("Components/mp3kx").
std::string ComponentSection(std::string_view component);

// The program to start for `component`: its registered path, else `program` found on $PATH
// (a full path); nothing when neither is an executable file.
std::optional<std::string> FindComponentProgram(std::string_view component,
                                                std::string_view program);

// The folder of the running program's executable; "" when it cannot be told.
std::string RunningProgramFolder();

// The places to try for a component, in order: its registered path; its default file name in
// the folder of the running program (a build puts the components beside the editor and the
// batch tool); the default name alone, which the system's search path resolves (PATH for
// programs, the library search path for libraries). Never empty.
std::vector<std::string> ComponentCandidates(std::string_view component,
                                             std::string_view default_file);

}  // namespace sonvara
