#pragma once
// Discs for the simulated drives: tracks of the given lengths in blocks, one after the other from
// block 0, whose sectors hold pseudo-random bytes (so that a sector copied from the wrong place
// shows).

#include <cstdint>
#include <random>
#include <vector>

#include "cd/cd_commands.h"
#include "cd/image_drive.h"

namespace sonvara::testing {

inline DiscImage MakeDisc(const std::vector<std::int32_t>& track_blocks,
                          const std::vector<bool>& data_tracks = {}) {
    DiscImage disc;
    std::int32_t start = 0;
    for (std::size_t i = 0; i < track_blocks.size(); ++i) {
        disc.tracks.push_back({start, i < data_tracks.size() && data_tracks[i]});
        start += track_blocks[i];
    }
    std::mt19937 random(static_cast<std::uint32_t>(start));
    disc.sectors.resize(static_cast<std::size_t>(start) * kCdSectorBytes);
    for (std::uint8_t& byte : disc.sectors) {
        byte = static_cast<std::uint8_t>(random());
    }
    return disc;
}

}  // namespace sonvara::testing
