#pragma once
// Look-up tables over the Huffman trees for decoding many bits at a time: the first kPairBits
// bits of a big-values pair, or the first kQuadBits bits of a count1 quadruple, give what they
// decode to and how many bits that takes. A pair whose code word and sign bits fit is finished
// in one look-up; so is every quadruple (no code word of tables A and B is longer than 6 bits,
// and 4 sign bits follow at most).

#include <array>
#include <cstdint>

namespace sonvara::mp3 {

inline constexpr int kPairBits = 10;
inline constexpr int kQuadBits = 10;

enum class PairKind : std::uint8_t {
    kDone,  // x and y signed, `bits` taking in the code word and the sign bits
    kCode,  // x and y are the code word's magnitudes, `bits` its length: linbits and signs follow
    kLong,  // the code word is longer than kPairBits bits (or none): decode it with the tree
};

struct PairEntry {
    std::int8_t x = 0;
    std::int8_t y = 0;
    std::uint8_t bits = 0;
    PairKind kind = PairKind::kLong;
};

struct QuadEntry {
    std::array<std::int8_t, 4> vwxy{};  // signed
    std::uint8_t bits = 0;              // code word and signs; 0: no code word starts so
};

using PairLookup = std::array<PairEntry, 1 << kPairBits>;
using QuadLookup = std::array<QuadEntry, 1 << kQuadBits>;

// For table_select 0..31 (tables sharing a code share a look-up; a table with linbits leaves a
// value of 15 to kCode), and for count1table_select 0 and 1. Built on first use, thread-safe.
const PairLookup& PairLookupOf(int table);
const QuadLookup& QuadLookupOf(int table);

}  // namespace sonvara::mp3
