#pragma once
// Signals, a quality measure, whole-stream helpers and just enough WAV reading to get at the
// golden files' bytes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "core/byte_order.h"
#include "tests/support/file_contents.h"

namespace sonvara::testing {

inline std::vector<std::int16_t> ToSamples(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::int16_t> samples;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        samples.push_back(static_cast<std::int16_t>(LoadLE16(&bytes[i])));
    }
    return samples;
}

inline std::vector<std::uint8_t> ReadDataFile(const std::string& name) {
    std::vector<std::uint8_t> bytes = FileBytes(std::string(SONVARA_WAV_DATA_DIR) + "/" + name);
    EXPECT_FALSE(bytes.empty()) << name;
    return bytes;
}

// A peer's decode: raw 16-bit little-endian samples.
inline std::vector<std::int16_t> ReadS16(const std::string& name) {
    return ToSamples(ReadDataFile(name));
}

// The "fmt " and "data" chunks of a WAV file.
struct WavChunks {
    std::vector<std::uint8_t> fmt, data;
    int Tag() const { return LoadLE16(fmt.data()); }
    int Channels() const { return LoadLE16(fmt.data() + 2); }
    int BlockAlign() const { return LoadLE16(fmt.data() + 12); }
};

inline WavChunks ReadWav(const std::string& name) {
    const std::vector<std::uint8_t> file = ReadDataFile(name);
    WavChunks chunks;
    for (std::size_t at = 12; at + 8 <= file.size();) {
        const std::size_t size =
            std::min<std::size_t>(LoadLE32(&file[at + 4]), file.size() - at - 8);
        const auto body = file.begin() + static_cast<std::ptrdiff_t>(at + 8);
        const std::string id(file.begin() + static_cast<std::ptrdiff_t>(at), body - 4);
        if (id == "fmt " || id == "data") {
            (id == "data" ? chunks.data : chunks.fmt)
                .assign(body, body + static_cast<std::ptrdiff_t>(size));
        }
        at += 8 + size + size % 2;
    }
    EXPECT_GE(chunks.fmt.size(), 16U) << name;
    return chunks;
}

// Interleaved frames of a sine per channel at 8000 Hz, channel c at frequency × (c + 1).
inline std::vector<std::int16_t> Sine(double frequency, double amplitude, int frames,
                                      int channels = 1) {
    std::vector<std::int16_t> samples;
    for (int f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            samples.push_back(static_cast<std::int16_t>(std::lround(
                amplitude * std::sin(2 * std::numbers::pi * frequency * (c + 1) * f / 8000))));
        }
    }
    return samples;
}

// Uniform values in [low, high]: white noise, or random bytes.
template <typename T>
std::vector<T> Random(std::mt19937& rng, std::size_t count, int low, int high) {
    std::uniform_int_distribution<int> value(low, high);
    std::vector<T> out(count);
    std::generate(out.begin(), out.end(), [&] { return static_cast<T>(value(rng)); });
    return out;
}

// Signal-to-noise ratio in dB of `decoded` against `original` over their common length.
inline double SnrDb(const std::vector<std::int16_t>& original,
                    const std::vector<std::int16_t>& decoded) {
    double signal = 0, noise = 0;
    for (std::size_t i = 0; i < std::min(original.size(), decoded.size()); ++i) {
        const double x = original[i], error = x - decoded[i];
        signal += x * x;
        noise += error * error;
    }
    return 10 * std::log10(signal / std::max(noise, 1.0));
}

// A whole signal through `encode(pcm, frames, out)` block by block, and a whole stream through
// `decode(block, bytes, out, max_frames)` (a short last block included).
template <typename Encode>
std::vector<std::uint8_t> EncodeAll(const std::vector<std::int16_t>& pcm, int channels,
                                    int block_align, int per_block, Encode encode) {
    const int frames = static_cast<int>(pcm.size()) / channels;
    std::vector<std::uint8_t> out;
    for (int first = 0; first < frames; first += per_block) {
        out.resize(out.size() + static_cast<std::size_t>(block_align));
        encode(pcm.data() + static_cast<std::ptrdiff_t>(first) * channels,
               std::min(per_block, frames - first), out.data() + out.size() - block_align);
    }
    return out;
}

template <typename Decode>
std::vector<std::int16_t> DecodeAll(const std::vector<std::uint8_t>& data, int channels,
                                    int block_align, Decode decode) {
    const auto align = static_cast<std::size_t>(block_align);
    std::vector<std::int16_t> out, block(align * 2 * static_cast<std::size_t>(channels));
    for (std::size_t at = 0; at < data.size(); at += align) {
        const int frames = decode(data.data() + at, std::min(data.size() - at, align), block.data(),
                                  block_align * 2);
        EXPECT_GE(frames, 0);
        out.insert(out.end(), block.begin(), block.begin() + std::max(frames, 0) * channels);
    }
    return out;
}

// Channels are coded independently: a stereo round trip gives exactly what each channel gives
// alone, through a mono round trip with blocks of the same number of frames.
template <typename RoundTrip>
void ExpectChannelsIndependent(const std::vector<std::int16_t>& stereo, RoundTrip round_trip) {
    const std::vector<std::int16_t> decoded = round_trip(stereo, 2);
    for (std::size_t c = 0; c < 2; ++c) {
        std::vector<std::int16_t> mono;
        for (std::size_t i = c; i < stereo.size(); i += 2) {
            mono.push_back(stereo[i]);
        }
        const std::vector<std::int16_t> alone = round_trip(mono, 1);
        ASSERT_EQ(alone.size() * 2, decoded.size());
        for (std::size_t f = 0; f < alone.size(); ++f) {
            ASSERT_EQ(decoded[2 * f + c], alone[f]) << "channel " << c << " frame " << f;
        }
    }
}

}  // namespace sonvara::testing
