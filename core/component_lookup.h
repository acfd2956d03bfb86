#pragma once
// Finding the separately installed programs that Sonvara starts (the codec components). A
// component is found through the "Path" value of the settings section "Components/<name>" when
// that names an executable file, else as its usual program name on $PATH.

#include <optional>
#include <string>
#include <string_view>

namespace sonvara {

// The settings section that registers `component` ("Components/mp3kx").
std::string ComponentSection(std::string_view component);

// The program to start for `component`: its registered path, else `program` found on $PATH
// (a full path); nothing when neither is an executable file.
std::optional<std::string> FindComponentProgram(std::string_view component,
                                                std::string_view program);

}  // namespace sonvara
