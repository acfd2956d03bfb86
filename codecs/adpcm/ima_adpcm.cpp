#include "codecs/adpcm/ima_adpcm.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#include "core/byte_order.h"

namespace sonvara::ima_adpcm {
namespace {

constexpr int kMaxIndex = 88;

constexpr std::array<int, kMaxIndex + 1> kStepTable = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

// How the step index moves after each code: down by one for the small magnitudes 0..3, up by
// 2, 4, 6, 8 for 4..7; the sign bit does not matter.
constexpr std::array<int, 16> kIndexTable = {-1, -1, -1, -1, 2, 4, 6, 8,
                                             -1, -1, -1, -1, 2, 4, 6, 8};

constexpr int kImaHeaderBytes = 4;  // per channel
constexpr int kGroupBytes = 4;      // per channel
constexpr int kGroupFrames = 8;

struct ImaChannel {
    int sample = 0;
    int index = 0;
};

// Applies one 4-bit code: the decoder's whole work, and how the encoder keeps in step with it.
void ImaApply(ImaChannel& ch, int code) {
    const int step = kStepTable[static_cast<std::size_t>(ch.index)];
    int diff = step >> 3;
    if ((code & 4) != 0) {
        diff += step;
    }
    if ((code & 2) != 0) {
        diff += step >> 1;
    }
    if ((code & 1) != 0) {
        diff += step >> 2;
    }
    ch.sample = std::clamp((code & 8) != 0 ? ch.sample - diff : ch.sample + diff,
                           int{std::numeric_limits<std::int16_t>::min()},
                           int{std::numeric_limits<std::int16_t>::max()});
    ch.index = std::clamp(ch.index + kIndexTable[static_cast<std::size_t>(code)], 0, kMaxIndex);
}

// The code whose reconstruction approaches `target` best by successive approximation: one bit
// each for a whole, a half and a quarter step, the same sums that ImaApply adds up.
int ImaQuantize(const ImaChannel& ch, int target) {
    int step = kStepTable[static_cast<std::size_t>(ch.index)];
    int diff = target - ch.sample;
    int code = 0;
    if (diff < 0) {
        code = 8;
        diff = -diff;
    }
    for (int bit = 4; bit != 0; bit >>= 1) {
        if (diff >= step) {
            code |= bit;
            diff -= step;
        }
        step >>= 1;
    }
    return code;
}

// Encodes frames 1.. of channel c of a block, starting from the header state `ch`; writes the codes
// into the block's data `out` unless it is null, and returns the squared error of the
// reconstruction. `sample(f)` is frame f of the channel.
template <typename SampleAt>
std::int64_t ImaEncodeChannel(ImaChannel& ch, int frames, const SampleAt& sample, std::uint8_t* out,
                              std::size_t channels, std::size_t c) {
    std::int64_t error = 0;
    for (int frame = 1; frame < frames; ++frame) {
        const int target = sample(frame);
        const int code = ImaQuantize(ch, target);
        ImaApply(ch, code);
        const std::int64_t e = target - ch.sample;
        error += e * e;
        if (out != nullptr) {
            const auto k = static_cast<std::size_t>(frame - 1);
            const std::size_t group = k / kGroupFrames;
            const std::size_t within = k % kGroupFrames;
            std::uint8_t& byte = out[(group * channels + c) * kGroupBytes + within / 2];
            byte = static_cast<std::uint8_t>(byte | (within % 2 == 0 ? code : code << 4));
        }
    }
    return error;
}

}  // namespace

int SamplesPerBlock(int block_align, int channels) {
    if (channels < 1 || block_align < 1) {
        return 0;
    }
    const std::int64_t per_channel_group = std::int64_t{kGroupBytes} * channels;
    const std::int64_t groups =
        (block_align - std::int64_t{kImaHeaderBytes} * channels) / per_channel_group;
    if (groups < 1) {
        return 0;
    }
    const std::int64_t frames = groups * kGroupFrames + 1;
    return frames > std::numeric_limits<int>::max() ? 0 : static_cast<int>(frames);
}

int DecodeBlock(const std::uint8_t* block, std::size_t bytes, int channels, std::int16_t* out,
                int max_frames) {
    if (channels < 1 || max_frames < 1) {
        return 0;
    }
    const auto nch = static_cast<std::size_t>(channels);
    const std::size_t header_bytes = kImaHeaderBytes * nch;
    if (bytes < header_bytes) {
        return 0;
    }
    const std::size_t groups = (bytes - header_bytes) / (kGroupBytes * nch);
    const std::size_t frames =
        std::min(groups * kGroupFrames + 1, static_cast<std::size_t>(max_frames));

    for (std::size_t c = 0; c < nch; ++c) {
        const std::uint8_t* header = block + c * kImaHeaderBytes;
        ImaChannel ch{LoadSignedLE16(header), std::min(int{header[2]}, kMaxIndex)};
        out[c] = static_cast<std::int16_t>(ch.sample);
        for (std::size_t frame = 1; frame < frames; ++frame) {
            const std::size_t group = (frame - 1) / kGroupFrames;
            const std::size_t within = (frame - 1) % kGroupFrames;
            const std::uint8_t byte =
                block[header_bytes + (group * nch + c) * kGroupBytes + within / 2];
            ImaApply(ch, (within % 2 == 0 ? byte : byte >> 4) & 0x0F);
            out[frame * nch + c] = static_cast<std::int16_t>(ch.sample);
        }
    }
    return static_cast<int>(frames);
}

Encoder::Encoder(int channels)
    : channels_(std::max(channels, 1)), step_index_(static_cast<std::size_t>(channels_), 0) {}

void Encoder::EncodeBlock(const std::int16_t* pcm, int frames, std::uint8_t* out, int block_align) {
    if (block_align <= 0) {
        return;
    }
    std::memset(out, 0, static_cast<std::size_t>(block_align));
    const int block_frames = SamplesPerBlock(block_align, channels_);
    if (block_frames == 0) {
        return;
    }
    const int given = std::clamp(frames, 0, block_frames);
    const auto nch = static_cast<std::size_t>(channels_);
    std::uint8_t* data = out + kImaHeaderBytes * nch;

    for (std::size_t c = 0; c < nch; ++c) {
        auto sample = [&](int frame) {
            return frame < given ? int{pcm[static_cast<std::size_t>(frame) * nch + c]} : 0;
        };
        int& index = step_index_[c];
        if (first_block_) {
            // Nothing carries over into the first block: start it from the step index that
            // encodes it best, trying every eighth one.
            std::int64_t best = std::numeric_limits<std::int64_t>::max();
            for (int candidate = 0; candidate <= kMaxIndex; candidate += 8) {
                ImaChannel trial{sample(0), candidate};
                const std::int64_t error =
                    ImaEncodeChannel(trial, block_frames, sample, nullptr, nch, c);
                if (error < best) {
                    best = error;
                    index = candidate;
                }
            }
        }
        ImaChannel ch{sample(0), index};
        std::uint8_t* header = out + c * kImaHeaderBytes;
        StoreLE16(header, static_cast<std::uint16_t>(ch.sample));
        header[2] = static_cast<std::uint8_t>(ch.index);
        ImaEncodeChannel(ch, block_frames, sample, data, nch, c);
        index = ch.index;
    }
    first_block_ = false;
}

}  // namespace sonvara::ima_adpcm
