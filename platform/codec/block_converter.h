#pragma once
// BlockConverter: one direction of one codec, converting whole blocks between the coded side and
// 16-bit PCM (interleaved, little-endian, the channels and rate of the coded format).
//
// A block is the codec's unit: one frame for PCM-like formats, one ADPCM block, two GSM frames.
// Converters keep whatever state a codec carries from block to block (an ADPCM encoder's step
// index) until Reset. CodecStream does the buffering; a converter only sees whole blocks and, at
// the end of a stream, one shorter last block.
//
// Some coded streams are made of blocks of differing sizes that each announce their own length
// (MPEG audio frames). Their converters override ConvertBuffer and take what whole blocks a
// buffer holds; the block sizes they declare are then the largest, for sizing buffers.

#include <cstddef>
#include <cstdint>
#include <optional>

namespace sonvara {

class BlockConverter {
  public:
    BlockConverter(std::size_t input_block_bytes, std::size_t output_block_bytes)
        : input_block_bytes_(input_block_bytes), output_block_bytes_(output_block_bytes) {}
    virtual ~BlockConverter() = default;
    BlockConverter(const BlockConverter&) = delete;
    BlockConverter& operator=(const BlockConverter&) = delete;

    std::size_t InputBlockBytes() const { return input_block_bytes_; }
    std::size_t OutputBlockBytes() const { return output_block_bytes_; }

    struct Converted {
        std::size_t blocks = 0;  // whole blocks converted
        std::size_t bytes = 0;   // output bytes written
    };
    // Converts `blocks` whole blocks from `input` into `output`, which has room for `blocks`
    // output blocks. Stops before a block that is damaged beyond use, so that the blocks before
    // it still count.
    virtual Converted Convert(const std::uint8_t* input, std::size_t blocks,
                              std::uint8_t* output) = 0;
    // Converts the last block of a stream, 1 to InputBlockBytes() - 1 bytes long, into at most one
    // output block. An encoder pads it with silence; a decoder decodes what the bytes hold. The
    // default drops it (a part of a frame holds no whole sample).
    virtual std::optional<std::size_t> ConvertLast(const std::uint8_t* input, std::size_t bytes,
                                                   std::uint8_t* output);
    // Forgets the state carried from one block to the next.
    virtual void Reset() {}

    struct Buffered {
        bool ok = true;           // false: the first block is damaged and nothing was used
        std::size_t used = 0;     // input bytes consumed
        std::size_t written = 0;  // output bytes produced
    };
    // Converts what whole blocks of `input` fit into `output`; with `end`, also the shorter last
    // block. The default counts fixed-size blocks through Convert and ConvertLast.
    virtual Buffered ConvertBuffer(const std::uint8_t* input, std::size_t input_bytes,
                                   std::uint8_t* output, std::size_t output_bytes, bool end);

    // Whether blocks may differ in size, so that a byte offset does not tell the block number.
    virtual bool VariableBlocks() const { return false; }
    // How many decoded frames before a seek target decoding must start for the samples at the
    // target to come out as from decoding from the start: 0 when every block decodes on its own
    // after Reset.
    virtual std::size_t SeekPrerollFrames() const { return 0; }

  private:
    std::size_t input_block_bytes_;
    std::size_t output_block_bytes_;
};

}  // namespace sonvara
