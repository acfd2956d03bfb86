#include "codecs/mp3/mp3_huffman.h"

#include <algorithm>
#include <utility>

namespace sonvara::mp3 {

std::optional<HuffmanTree> HuffmanTree::Build(std::span<const std::uint16_t> codes,
                                              std::span<const std::uint8_t> lengths) {
    HuffmanTree tree;
    tree.nodes_.push_back({kNone, kNone});
    for (std::size_t value = 0; value < codes.size() && value < lengths.size(); ++value) {
        const int length = lengths[value];
        if (length < 1 || length > kMaxCodeLength) {
            return std::nullopt;
        }
        std::size_t node = 0;
        for (int bit_at = length - 1; bit_at >= 0; --bit_at) {
            const int bit = (codes[value] >> bit_at) & 1;
            std::int16_t& child = tree.nodes_[node][static_cast<std::size_t>(bit)];
            if (bit_at == 0) {
                if (child != kNone) {
                    return std::nullopt;  // taken by a word or a prefix of one
                }
                child = static_cast<std::int16_t>(-static_cast<int>(value) - 1);
            } else {
                if (child == kNone) {
                    child = static_cast<std::int16_t>(tree.nodes_.size());
                    tree.nodes_.push_back({kNone, kNone});
                } else if (child < 0) {
                    return std::nullopt;  // a shorter word is a prefix of this one
                }
                node = static_cast<std::size_t>(tree.nodes_[node][static_cast<std::size_t>(bit)]);
            }
        }
        ++tree.leaves_;
    }
    tree.BuildFast();
    return tree;
}

void HuffmanTree::BuildFast() {
    for (std::size_t prefix = 0; prefix < fast_.size(); ++prefix) {
        std::int16_t at = 0;  // the root
        Fast entry;
        for (int depth = 0; depth < kFastBits; ++depth) {
            const auto bit = (prefix >> (kFastBits - 1 - depth)) & 1U;
            at = nodes_[static_cast<std::size_t>(at)][bit];
            entry = {at, static_cast<std::uint8_t>(depth + 1)};
            if (at < 0 || at == kNone) {
                break;
            }
        }
        fast_[prefix] = entry;
    }
}

std::optional<int> HuffmanTree::DecodeLong(BitReader& bits, const Fast& first) const {
    if (nodes_.empty()) {
        return std::nullopt;
    }
    std::int16_t child = first.target;
    for (int depth = first.bits; depth <= kMaxCodeLength; ++depth) {
        if (child == kNone) {
            return std::nullopt;
        }
        if (child < 0) {
            return -child - 1;
        }
        if (depth == kMaxCodeLength) {
            break;
        }
        child = nodes_[static_cast<std::size_t>(child)][bits.ReadBit()];
    }
    return std::nullopt;
}

namespace {

struct Trees {
    std::array<HuffmanTree, kHuffmanTables> pair;
    std::array<HuffmanTree, 2> quad;
    // A pair table's value x * size + y as x << 4 | y, so that decoding needs no division.
    std::array<std::array<std::uint8_t, 256>, kHuffmanTables> pair_split{};
};

// The tables are fixed, and the tests check that every one builds; a table that did not would
// decode nothing but zeros.
HuffmanTree BuildOrEmpty(const HuffmanTable& table) {
    std::optional<HuffmanTree> tree = HuffmanTree::Build(table.codes, table.lengths);
    return tree ? std::move(*tree) : HuffmanTree();
}

const Trees& AllTrees() {
    static const Trees trees = [] {
        Trees built;
        for (std::size_t t = 0; t < kPairTables.size(); ++t) {
            built.pair[t] = BuildOrEmpty(kPairTables[t]);
            const int size = kPairTables[t].size;
            for (int value = 0; size > 0 && value < size * size; ++value) {
                built.pair_split[t][static_cast<std::size_t>(value)] =
                    static_cast<std::uint8_t>((value / size) << 4 | (value % size));
            }
        }
        for (std::size_t t = 0; t < kQuadTables.size(); ++t) {
            built.quad[t] = BuildOrEmpty(kQuadTables[t]);
        }
        return built;
    }();
    return trees;
}

}  // namespace

const HuffmanTree& PairTree(int table) {
    return AllTrees().pair[static_cast<std::size_t>(table)];
}
const HuffmanTree& QuadTree(int table) {
    return AllTrees().quad[static_cast<std::size_t>(table)];
}

namespace {

std::span<const std::uint8_t> PairSplit(int table) {
    return AllTrees().pair_split[static_cast<std::size_t>(table)];
}

}  // namespace

namespace {

std::int32_t Signed(BitReader& bits, std::int32_t magnitude) {
    if (magnitude == 0) {
        return 0;
    }
    return bits.ReadBit() != 0 ? -magnitude : magnitude;
}

}  // namespace

HuffmanResult DecodeHuffman(BitReader& bits, std::size_t end, const GranuleChannel& gc,
                            const ScaleFactorBands& bands, QuantizedSpectrum& out) {
    out.fill(0);
    HuffmanResult result;
    const int big_end = 2 * gc.big_values;
    int region1 = 0;
    int region2 = 0;
    if (gc.window_switching) {
        // Short blocks count their region-0 bands per window: 9 windows' bands are 3 bands.
        region1 = gc.block_type == BlockType::kShort && !gc.mixed_block ? 3 * bands.short_start[3]
                                                                        : bands.long_start[8];
        region2 = kGranuleLines;
    } else {
        region1 = bands.long_start[static_cast<std::size_t>(std::min(gc.region0_count + 1, 22))];
        region2 = bands.long_start[static_cast<std::size_t>(
            std::min(gc.region0_count + gc.region1_count + 2, 22))];
    }
    // The big values in three regions, each with its own table.
    int line = 0;
    const int region_ends[3] = {std::min(region1, big_end), std::min(region2, big_end), big_end};
    for (std::size_t region = 0; region < 3; ++region) {
        const int region_end = std::max(region_ends[region], line);
        const int table_index = gc.table_select[region];
        if (line < region_end && (table_index == 4 || table_index == 14)) {
            result.error = HuffmanError::kBadTable;
            return result;
        }
        const HuffmanTable& table = kPairTables[static_cast<std::size_t>(table_index)];
        const HuffmanTree& tree = PairTree(table_index);
        const std::span<const std::uint8_t> split = PairSplit(table_index);
        for (; line < region_end; line += 2) {
            std::int32_t x = 0;
            std::int32_t y = 0;
            if (table.size > 0) {
                const std::optional<int> value = tree.Decode(bits);
                if (!value) {
                    result.error = HuffmanError::kBadCode;
                    return result;
                }
                x = split[static_cast<std::size_t>(*value)] >> 4;
                y = split[static_cast<std::size_t>(*value)] & 15;
            }
            if (table.linbits > 0 && x == 15) {
                x += static_cast<std::int32_t>(bits.Read(table.linbits));
            }
            x = Signed(bits, x);
            if (table.linbits > 0 && y == 15) {
                y += static_cast<std::int32_t>(bits.Read(table.linbits));
            }
            y = Signed(bits, y);
            out[static_cast<std::size_t>(line)] = x;
            out[static_cast<std::size_t>(line) + 1] = y;
            if (bits.Position() > end) {
                result.error = HuffmanError::kOverrun;
                return result;
            }
        }
    }
    result.nonzero_end = line;
    // Count1: quadruples until the granule's bits are used up. A quadruple whose code runs past
    // the end was never meant (the encoder stopped within it) and is dropped.
    const HuffmanTree& quad = QuadTree(gc.count1table_select ? 1 : 0);
    while (line + 4 <= kGranuleLines && bits.Position() < end) {
        const std::optional<int> value = quad.Decode(bits);
        if (!value) {
            result.error = HuffmanError::kBadCode;
            return result;
        }
        std::array<std::int32_t, 4> vwxy = {(*value >> 3) & 1, (*value >> 2) & 1, (*value >> 1) & 1,
                                            *value & 1};
        for (std::int32_t& v : vwxy) {
            v = Signed(bits, v);
        }
        if (bits.Position() > end) {
            break;
        }
        std::copy(vwxy.begin(), vwxy.end(), out.begin() + line);
        line += 4;
    }
    result.nonzero_end = line;
    return result;
}

}  // namespace sonvara::mp3
