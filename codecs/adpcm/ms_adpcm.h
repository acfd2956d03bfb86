#pragma once
// Microsoft ADPCM (WAV format tag 2). Each sample is predicted from the two before it with one
// pair of coefficients (in 1/256ths) chosen per block and channel, and a 4-bit signed code scales
// an adaptive step, "delta", to correct the prediction.
//
// A block starts with the header fields of every channel, field by field: the coefficient pair
// index (1 byte per channel), the initial delta (int16), the second sample (int16) and the first
// sample (int16), all little-endian. Then the codes of frames 3, 4, … follow, one nibble per
// channel in channel order, high nibble first. So a block of block_align bytes holds
// (block_align − 7·channels) · 2 / channels + 2 frames.

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace sonvara::ms_adpcm {

struct Coefficients {
    std::vector<std::pair<std::int16_t, std::int16_t>> pairs;
};

// The seven pairs every encoder writes and most decoders assume.
const Coefficients& StandardCoefficients();

// Frames in a block of block_align bytes; 0 when it cannot hold the headers or channels < 1.
int SamplesPerBlock(int block_align, int channels);

// Reads the bytes that follow cbSize in the format chunk: samples per block, the number of
// coefficient pairs and the pairs. False when there are no pairs, more than 256, or too few bytes.
bool ParseFormatExtra(const std::uint8_t* extra, std::size_t bytes, int* samples_per_block,
                      Coefficients* coefs);
// The 32 bytes that describe the standard coefficients for a writer's format chunk.
std::vector<std::uint8_t> MakeFormatExtra(int samples_per_block);

// Decodes one block of `bytes` bytes into interleaved samples and returns the frames written, at
// most max_frames. A block cut short (the last one of a file) gives the two header frames and
// every frame whose codes are all present; fewer bytes than the headers give 0. A coefficient
// index beyond `coefs` makes the block bad: −1. Any byte content is safe.
int DecodeBlock(const std::uint8_t* block, std::size_t bytes, int channels,
                const Coefficients& coefs, std::int16_t* out, int max_frames);

// Encodes `frames` interleaved frames (at most SamplesPerBlock; the frames missing up to it are
// encoded as silence) into exactly block_align bytes with the standard coefficients, choosing for
// each channel the pair that reproduces the block best.
void EncodeBlock(const std::int16_t* pcm, int frames, int channels, std::uint8_t* out,
                 int block_align);

}  // namespace sonvara::ms_adpcm
