#pragma once
// The decoding components' names and default file names; ComponentCandidates
// (core/component_lookup.h) says where each is looked for.

#include <string_view>

#include "core/component_lookup.h"

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

}  // namespace sonvara
