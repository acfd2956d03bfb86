#pragma once
// Huffman decoding of one granule's quantized spectrum (ISO/IEC 11172-3 clause 2.4.3.4.6):
// the big-values region in pairs, split into three regions each with its own table, then the
// count1 region in quadruples of -1, 0 and 1 up to the end of the granule's part2_3 bits, and
// zeros above.

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <vector>

#include "codecs/mp3/mp3_bit_reader.h"
#include "codecs/mp3/mp3_huffman_tables.h"
#include "codecs/mp3/mp3_side_info.h"
#include "codecs/mp3/mp3_tables.h"

namespace sonvara::mp3 {

// A code tree built from a table's code words. Internal nodes hold two child indices; a leaf
// holds its value (the index of the code word in the table).
class HuffmanTree {
  public:
    // Builds the tree; nothing if two code words collide (one is a prefix of the other, or a
    // code word is longer than kMaxCodeLength).
    static std::optional<HuffmanTree> Build(std::span<const std::uint16_t> codes,
                                            std::span<const std::uint8_t> lengths);

    // Reads one code word and returns its value, or nothing for a bit sequence that leads off
    // the tree (the tables are complete, so only a tree of one word can do that).
    // Inline: it runs once per pair of spectral lines.
    std::optional<int> Decode(BitReader& bits) const {
        // Most words are short: the first bits settle them with one look-up (a leaf). The rest
        // go on bit by bit from where those bits lead.
        const Fast& first = fast_[bits.Peek(kFastBits)];
        bits.Skip(first.bits);
        if (first.target < 0) {
            return -first.target - 1;
        }
        return DecodeLong(bits, first);
    }

    // The same from the first bits of `window`, most significant first; `length` gets the bits
    // the word takes.
    std::optional<int> Decode(std::uint64_t window, int& length) const;

    std::size_t Leaves() const { return leaves_; }

  private:
    // child[b] >= 0: the next node; < 0: the leaf with value -child[b] - 1; kNone: no code.
    static constexpr std::int16_t kNone = std::numeric_limits<std::int16_t>::max();
    // What the first kFastBits bits lead to: a word of at most that length (its value and
    // length), no word, or the node to go on from bit by bit.
    static constexpr int kFastBits = 8;
    struct Fast {
        std::int16_t target = kNone;  // as a child: a leaf, kNone, or a node
        std::uint8_t bits = 0;        // bits used to get there
    };
    void BuildFast();
    std::optional<int> DecodeLong(BitReader& bits, const Fast& first) const;

    std::vector<std::array<std::int16_t, 2>> nodes_;
    std::array<Fast, 1 << kFastBits> fast_{};
    std::size_t leaves_ = 0;
};

// The trees of kPairTables (empty for tables without code words) and of kQuadTables; built on
// first use, thread-safe.
const HuffmanTree& PairTree(int table);
const HuffmanTree& QuadTree(int table);

using QuantizedSpectrum = std::array<std::int32_t, kGranuleLines>;

enum class HuffmanError : std::uint8_t {
    kNone,
    kBadTable,  // big values coded with table 4 or 14, which do not exist
    kBadCode,   // a bit sequence that is no code word
    kOverrun,   // the big values run past the granule's bits
};

struct HuffmanResult {
    HuffmanError error = HuffmanError::kNone;
    // Lines up to here may be non-zero; all above are zero.
    int nonzero_end = 0;
};

// Decodes the Huffman data of one granule and channel from `bits` (at the first Huffman bit)
// up to bit position `end`, in the granule's band layout, into `out` (all 576 lines are set).
HuffmanResult DecodeHuffman(BitReader& bits, std::size_t end, const GranuleChannel& gc,
                            const ScaleFactorBands& bands, QuantizedSpectrum& out);

}  // namespace sonvara::mp3
