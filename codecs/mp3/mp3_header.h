#pragma once
// The four-byte header that opens every MPEG audio frame, as far as this decoder reads it:
// Layer III of MPEG-1 (ISO/IEC 11172-3), of MPEG-2's lower sampling frequencies
// (ISO/IEC 13818-3) and of the unofficial MPEG-2.5 extension (sync shortened to 11 bits,
// sampling frequencies quartered).
//
// A "frame" here is the whole coded unit that the header opens: header, optional CRC, side
// information and main data, FrameBytes() long. A frame carries 1152 samples per channel for
// MPEG-1 (two granules of 576) and 576 for MPEG-2 and MPEG-2.5 (one granule).

#include <cstdint>
#include <optional>

namespace sonvara::mp3 {

enum class Version : std::uint8_t { kMpeg1 = 0, kMpeg2 = 1, kMpeg25 = 2 };
enum class Mode : std::uint8_t {
    kStereo = 0,
    kJointStereo = 1,
    kDualChannel = 2,
    kSingleChannel = 3
};

inline constexpr int kHeaderBytes = 4;
inline constexpr int kCrcBytes = 2;
inline constexpr int kGranuleLines = 576;

struct FrameHeader {
    Version version = Version::kMpeg1;
    bool has_crc = false;
    int bitrate_index = 0;   // 1..14
    int sampling_index = 0;  // 0..2
    bool padding = false;
    Mode mode = Mode::kStereo;
    int mode_extension = 0;  // bit 1: middle/side stereo, bit 0: intensity stereo
    bool copyright = false;
    bool original = false;
    int emphasis = 0;

    bool IsMpeg1() const { return version == Version::kMpeg1; }
    int Channels() const { return mode == Mode::kSingleChannel ? 1 : 2; }
    int Granules() const { return IsMpeg1() ? 2 : 1; }
    int SamplesPerFrame() const { return Granules() * kGranuleLines; }
    int Bitrate() const;     // bit/s
    int SampleRate() const;  // Hz
    // Header, CRC, side information and main data together.
    int FrameBytes() const;
    int SideInfoBytes() const;
    // Where the side information starts: after the header and, if present, the CRC.
    int SideInfoOffset() const { return kHeaderBytes + (has_crc ? kCrcBytes : 0); }
    // Bytes of main data this frame carries (what follows the side information).
    int MainDataBytes() const { return FrameBytes() - SideInfoOffset() - SideInfoBytes(); }
    bool MiddleSide() const { return mode == Mode::kJointStereo && (mode_extension & 2) != 0; }
    bool Intensity() const { return mode == Mode::kJointStereo && (mode_extension & 1) != 0; }
};

// Why four bytes are not a header this decoder takes.
enum class HeaderError : std::uint8_t {
    kNone,
    kNoSync,            // fewer than 11 leading one bits
    kReservedVersion,   // version bits 01
    kNotLayer3,         // layers I and II, and the reserved layer 00
    kFreeOrBadBitrate,  // free format (index 0) or the forbidden index 15
    kBadSampling,       // sampling-frequency index 3 (reserved)
};

// Reads bytes[0..3]. Only headers that pass every check are returned; `error` (if given)
// tells the first check that failed.
std::optional<FrameHeader> ParseHeader(const std::uint8_t bytes[kHeaderBytes],
                                       HeaderError* error = nullptr);

// Whether two headers belong to one stream: same version, sampling frequency and channel count
// (the bitrate, padding and mode extension change from frame to frame).
bool SameStream(const FrameHeader& a, const FrameHeader& b);

}  // namespace sonvara::mp3
