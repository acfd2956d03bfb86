#pragma once
// The table of contents of a disc as READ TOC (format 0, addresses as block numbers) returns it:
// a 4-byte header (the data length after its own two bytes, first and last track) and one 8-byte
// descriptor per track and one for the lead-out, each holding its control field (bit 2: a data
// track) in the low half of byte 1 and its start block in bytes 4..7, big-endian. The bytes come
// from a device and are not trusted: every length is checked against what was received.

#include <array>
#include <cstdint>
#include <span>

namespace sonvara {

// Blocks a second of audio: 176400 bytes a second, 2352 bytes a block.
inline constexpr std::int64_t kCdBlocksPerSecond = 75;

struct CdToc {
    static constexpr int kMaxTracks = 255;

    int tracks = 0;  // 0 to kMaxTracks
    // starts[0 .. tracks]: each track's first block, then the lead-out.
    std::array<std::int32_t, kMaxTracks + 1> starts{};
    // data[0 .. tracks - 1]: whether the track holds data rather than sound (its descriptor's
    // control field has bit 2 set).
    std::array<bool, kMaxTracks> data{};

    // The blocks from `track`'s start to the next start (0 when that goes backwards, or for a
    // track that does not exist).
    std::int64_t TrackBlocks(int track) const;
    // The track's duration in whole seconds (75 blocks a second), at most 65535.
    std::uint16_t TrackSeconds(int track) const;
};

// Reads a table of contents from `data`, the bytes the drive delivered. False, with `toc` emptied,
// when the length field claims no descriptor, or descriptors (at most 256 are read) that did not
// arrive.
bool ParseToc(std::span<const std::uint8_t> data, CdToc& toc);

}  // namespace sonvara
