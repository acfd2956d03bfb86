#pragma once
// IMA ADPCM in the block layout of WAV files (format tag 0x11). A block starts with a 4-byte
// header per channel: the first sample (int16, little-endian), the step index (0..88) and a zero
// byte. Then come groups of 4 bytes per channel, 8 samples each, low nibble first, the channels
// taking turns group by group. So a block of block_align bytes holds
// (block_align − 4·channels) / (4·channels) · 8 + 1 frames.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sonvara::ima_adpcm {

// Frames in a block of block_align bytes; 0 when it cannot hold the headers and one group per
// channel, or when channels < 1.
int SamplesPerBlock(int block_align, int channels);

// Decodes one block of `bytes` bytes into interleaved samples and returns the frames written, at
// most max_frames. A block cut short (the last one of a file) gives its header sample and every
// whole group that is present; fewer bytes than the headers give 0. Any byte content is safe.
int DecodeBlock(const std::uint8_t* block, std::size_t bytes, int channels, std::int16_t* out,
                int max_frames);

// Encodes a stream block by block. Each channel's step index carries over from one block to the
// next, so a block does not start with a step that is far too small or large.
class Encoder {
  public:
    explicit Encoder(int channels);

    // Writes exactly block_align bytes: `frames` interleaved frames (at most SamplesPerBlock;
    // the frames missing up to it are encoded as silence).
    void EncodeBlock(const std::int16_t* pcm, int frames, std::uint8_t* out, int block_align);

  private:
    int channels_;
    bool first_block_ = true;
    std::vector<int> step_index_;
};

}  // namespace sonvara::ima_adpcm
