#pragma once
// Where the separately installed codec components are found. A component is looked for, in this
// order: at the "Path" value of the settings section "Components/<name>"; under its default file
// name in the folder of the running program (a build puts the components beside the editor and
// the batch tool); and under its default name alone, which the system's search path resolves
// (PATH for programs, the library search path for libraries).

#include <string>
#include <string_view>
#include <vector>

namespace sonvara {

// The components and their default file names.
inline constexpr std::string_view kWmaComponent = "wmakx";
inline constexpr std::string_view kWmaDecoderProgram = "sonvara-wmakx";
inline constexpr std::string_view kDssComponent = "dsskx";
inline constexpr std::string_view kDssDecoderLibrary = "libsonvara-dsskx.so";
inline constexpr std::string_view kRealAudioComponent = "realaudio";
inline constexpr std::string_view kRealAudioLibrary = "libsonvara-realaudio.so";

// Named in the messages about a missing component.
inline constexpr std::string_view kComponentDownloadPage =
    "https://vellumtone.com/sonvara/components/";

// The folder of the running program's executable; "" when it cannot be told.
std::string RunningProgramFolder();

// The places to try for a component, in order (see above); never empty.
std::vector<std::string> ComponentCandidates(std::string_view name, std::string_view default_file);

}  // namespace sonvara
