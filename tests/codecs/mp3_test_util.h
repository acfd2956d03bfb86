#pragma once
// What the MP3 tests share: the LAME-made streams of tests/data/mp3 and a walk over their frames.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "codecs/mp3/mp3_frame_layout.h"
#include "tests/support/file_contents.h"

namespace sonvara::testing {

inline std::vector<std::uint8_t> Mp3Bytes(const std::string& name) {
    std::vector<std::uint8_t> bytes = FileBytes(std::string(SONVARA_MP3_DATA_DIR) + "/" + name);
    EXPECT_FALSE(bytes.empty()) << name;
    return bytes;
}

// mpg123's float decode of tests/data/mp3/`mp3_name` (the ".mpg123.f32" file beside it).
inline std::vector<float> Mp3Golden(const std::string& mp3_name) {
    const std::vector<std::uint8_t> bytes =
        Mp3Bytes(mp3_name.substr(0, mp3_name.size() - 4) + ".mpg123.f32");
    std::vector<float> values(bytes.size() / sizeof(float));
    std::memcpy(values.data(), bytes.data(), values.size() * sizeof(float));
    return values;
}

struct Mp3Frame {
    std::size_t offset = 0;
    mp3::FrameLayout layout;
};

// The frames of a stream that starts with a frame and holds nothing else (the files are made
// without tags or an information frame). Stops at the first place that is not a whole frame;
// `end` gets that offset.
inline std::vector<Mp3Frame> Mp3Frames(std::span<const std::uint8_t> bytes, std::size_t* end) {
    std::vector<Mp3Frame> frames;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::optional<mp3::FrameLayout> layout = mp3::ReadFrameLayout(bytes.subspan(at));
        if (!layout) {
            break;
        }
        frames.push_back({at, *layout});
        at += static_cast<std::size_t>(layout->header.FrameBytes());
    }
    *end = at;
    return frames;
}

// The streams of tests/data/mp3 that start with a frame and what LAME was asked to make.
struct Mp3Stream {
    const char* name;
    mp3::Version version;
    int sample_rate;
    int channels;
    bool crc;
    bool reservoir;  // false for --nores: every frame's main data starts in the frame itself
    bool joint;      // whether any frame may be joint stereo
};

inline const std::vector<Mp3Stream>& Mp3Streams() {
    static const std::vector<Mp3Stream> streams = {
        {"cbr128_stereo_44k.mp3", mp3::Version::kMpeg1, 44100, 2, false, true, false},
        {"cbr96_joint_44k.mp3", mp3::Version::kMpeg1, 44100, 2, false, true, true},
        {"cbr64_mono_32k.mp3", mp3::Version::kMpeg1, 32000, 1, false, true, false},
        {"vbr_joint_44k.mp3", mp3::Version::kMpeg1, 44100, 2, false, true, true},
        {"cbr48_joint_22k.mp3", mp3::Version::kMpeg2, 22050, 2, false, true, true},
        {"cbr16_mono_8k.mp3", mp3::Version::kMpeg25, 8000, 1, false, true, false},
        {"crc_nores_stereo_44k.mp3", mp3::Version::kMpeg1, 44100, 2, true, false, true},
        {"cbr160_stereo_48k.mp3", mp3::Version::kMpeg1, 48000, 2, false, true, false},
        {"vbr_joint_24k.mp3", mp3::Version::kMpeg2, 24000, 2, false, true, true},
        {"cbr32_mono_16k.mp3", mp3::Version::kMpeg2, 16000, 1, false, true, false},
        {"cbr24_joint_11k.mp3", mp3::Version::kMpeg25, 11025, 2, false, true, true},
        {"cbr32_stereo_12k.mp3", mp3::Version::kMpeg25, 12000, 2, false, true, false},
    };
    return streams;
}

// An FNV-1a hash of the samples `decode(stream, bytes)` makes of every stream and of a damaged
// copy of each (a byte in 701 changed, so that wild values reach the clamps): a faster decode or
// conversion must give exactly the values the expected hash was taken from.
template <typename Decode>
std::uint64_t HashOfStreamsAndDamagedCopies(Decode decode) {
    std::uint64_t hash = 0xcbf29ce484222325U;
    for (const Mp3Stream& stream : Mp3Streams()) {
        std::vector<std::uint8_t> bytes = Mp3Bytes(stream.name);
        for (const bool damaged : {false, true}) {
            for (std::size_t i = 700; damaged && i < bytes.size(); i += 701) {
                bytes[i] ^= 0x5A;
            }
            for (const auto sample : decode(stream, bytes)) {
                hash = (hash ^ static_cast<std::uint32_t>(sample)) * 0x100000001b3U;
            }
        }
    }
    return hash;
}

}  // namespace sonvara::testing
