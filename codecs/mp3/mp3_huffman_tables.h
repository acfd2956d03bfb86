#pragma once
// The Huffman code tables of Layer III (ISO/IEC 11172-3 table B.7): 32 tables of pairs (x, y)
// for the big-values region, and tables A and B of quadruples (v, w, x, y) for count1.
//
// A pair table of size n gives, for x and y in 0..n-1, the code word of (x, y) at index
// x * n + y: its value and its length in bits (hcod and hlen). Tables 16..23 share one code,
// as do 24..31; they differ in linbits, the bits that extend a value of 15. Tables 0, 4 and 14
// hold no code words: table 0 codes all-zero pairs in no bits, 4 and 14 are not used.
// The quadruple tables give the code of v*8 + w*4 + x*2 + y at that index.

#include <array>
#include <cstdint>
#include <span>

namespace sonvara::mp3 {

struct HuffmanTable {
    int size = 0;  // values per coordinate of a pair table; 0 for tables 0, 4, 14 and A, B
    int linbits = 0;
    std::span<const std::uint16_t> codes;
    std::span<const std::uint8_t> lengths;
};

inline constexpr int kHuffmanTables = 32;
// The longest code word of any table (table 13 has 19-bit words).
inline constexpr int kMaxCodeLength = 19;

extern const std::array<HuffmanTable, kHuffmanTables> kPairTables;
// [0]: table A (count1table_select 0), [1]: table B.
extern const std::array<HuffmanTable, 2> kQuadTables;

}  // namespace sonvara::mp3
