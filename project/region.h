#pragma once
// LSVRegion: a named copy of a stretch of a file's audio, kept with its own audio after the file
// closes. On disk a region is 528 bytes — name (260-byte text), full path of the file it was
// taken from (260; empty for an untitled file), start and end in milliseconds (u32 each) — and,
// in a project, its audio block after it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "document/cut_list_audio.h"

namespace sonvara {

struct LSVRegion {
    std::string name;
    std::string file;
    std::uint32_t start_ms = 0;
    std::uint32_t end_ms = 0;
    LCutListAudio audio;
};

constexpr std::size_t kRegionBytes = 528;
using RegionRecord = std::array<std::uint8_t, kRegionBytes>;

// False when the name or the path does not fit its field.
bool EncodeRegion(const LSVRegion& region, RegionRecord& record);
// The record's fields into `region`; its audio is left alone.
void DecodeRegion(const std::uint8_t* record, LSVRegion& region);

}  // namespace sonvara
