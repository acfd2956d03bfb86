#include "codecs/mp3/mp3_huffman_lookup.h"

#include <memory>

#include "codecs/mp3/mp3_huffman.h"
#include "codecs/mp3/mp3_huffman_tables.h"

namespace sonvara::mp3 {
namespace {

// Bit `at` of a prefix of `width` bits, the first being bit 0.
int BitOf(std::uint32_t prefix, int width, int at) {
    return static_cast<int>((prefix >> (width - 1 - at)) & 1U);
}

PairLookup BuildPairs(int table_index) {
    PairLookup lookup{};
    const HuffmanTable& table = kPairTables[static_cast<std::size_t>(table_index)];
    if (table.size == 0) {
        return lookup;
    }
    const HuffmanTree& tree = PairTree(table_index);
    for (std::uint32_t prefix = 0; prefix < lookup.size(); ++prefix) {
        int length = 0;
        const std::optional<int> value =
            tree.Decode(static_cast<std::uint64_t>(prefix) << (64 - kPairBits), length);
        PairEntry& entry = lookup[prefix];
        if (!value || length > kPairBits) {
            continue;  // kLong
        }
        const int x = *value / table.size;
        const int y = *value % table.size;
        entry = {static_cast<std::int8_t>(x), static_cast<std::int8_t>(y),
                 static_cast<std::uint8_t>(length), PairKind::kCode};
        const int signs = (x != 0 ? 1 : 0) + (y != 0 ? 1 : 0);
        const bool extended = table.linbits > 0 && (x == 15 || y == 15);
        if (extended || length + signs > kPairBits) {
            continue;  // kCode
        }
        int at = length;
        const int signed_x = x != 0 && BitOf(prefix, kPairBits, at++) != 0 ? -x : x;
        const int signed_y = y != 0 && BitOf(prefix, kPairBits, at++) != 0 ? -y : y;
        entry = {static_cast<std::int8_t>(signed_x), static_cast<std::int8_t>(signed_y),
                 static_cast<std::uint8_t>(at), PairKind::kDone};
    }
    return lookup;
}

QuadLookup BuildQuads(int table_index) {
    QuadLookup lookup{};
    const HuffmanTree& tree = QuadTree(table_index);
    for (std::uint32_t prefix = 0; prefix < lookup.size(); ++prefix) {
        int length = 0;
        const std::optional<int> value =
            tree.Decode(static_cast<std::uint64_t>(prefix) << (64 - kQuadBits), length);
        if (!value || length + 4 > kQuadBits) {
            continue;  // no code word: the decode fails
        }
        QuadEntry& entry = lookup[prefix];
        int at = length;
        for (int i = 0; i < 4; ++i) {
            const int magnitude = (*value >> (3 - i)) & 1;
            const bool negative = magnitude != 0 && BitOf(prefix, kQuadBits, at++) != 0;
            entry.vwxy[static_cast<std::size_t>(i)] =
                static_cast<std::int8_t>(negative ? -magnitude : magnitude);
        }
        entry.bits = static_cast<std::uint8_t>(at);
    }
    return lookup;
}

struct Lookups {
    // 0..15 by table; 16 for tables 16..23, 17 for 24..31 (one code each).
    std::array<PairLookup, 18> pairs;
    std::array<QuadLookup, 2> quads;
};

const Lookups& AllLookups() {
    static const std::unique_ptr<const Lookups> lookups = [] {
        auto built = std::make_unique<Lookups>();
        for (int t = 0; t < 16; ++t) {
            built->pairs[static_cast<std::size_t>(t)] = BuildPairs(t);
        }
        built->pairs[16] = BuildPairs(16);
        built->pairs[17] = BuildPairs(24);
        built->quads[0] = BuildQuads(0);
        built->quads[1] = BuildQuads(1);
        return built;
    }();
    return *lookups;
}

}  // namespace

const PairLookup& PairLookupOf(int table) {
    const int at = table < 16 ? table : table < 24 ? 16 : 17;
    return AllLookups().pairs[static_cast<std::size_t>(at)];
}

const QuadLookup& QuadLookupOf(int table) {
    return AllLookups().quads[static_cast<std::size_t>(table)];
}

}  // namespace sonvara::mp3
