#include "codecs/mp3/mp3_huffman.h"

#include <algorithm>
#include <utility>

#include "codecs/mp3/mp3_huffman_lookup.h"

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

std::optional<int> HuffmanTree::Decode(std::uint64_t window, int& length) const {
    const Fast& first = fast_[window >> (64 - kFastBits)];
    length = first.bits;
    if (first.target < 0) {
        return -first.target - 1;
    }
    if (nodes_.empty()) {
        return std::nullopt;
    }
    std::int16_t child = first.target;
    for (; child != kNone && child >= 0 && length < kMaxCodeLength; ++length) {
        child = nodes_[static_cast<std::size_t>(child)][(window >> (63 - length)) & 1U];
    }
    if (child == kNone || child >= 0) {
        return std::nullopt;
    }
    return -child - 1;
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

// Takes `count` bits (0..32) from `window` at `used` and moves `used` on.
std::int32_t Take(std::uint64_t window, int& used, int count) {
    const std::uint64_t bits = count > 0 ? (window << used) >> (64 - count) : 0;
    used += count;
    return static_cast<std::int32_t>(bits);
}

std::int32_t TakeSign(std::uint64_t window, int& used, std::int32_t magnitude) {
    if (magnitude == 0) {
        return 0;
    }
    return Take(window, used, 1) != 0 ? -magnitude : magnitude;
}

// A pair that its look-up entry does not finish: the code word (from the entry, or from the
// tree when it is longer), then linbits and signs, all from `window` (at most 19 + 2 * 14
// bits). Returns the bits taken, or -1 for a bit sequence that is no code word.
int SlowPair(std::uint64_t window, const PairEntry& entry, int table_index, std::int32_t& x,
             std::int32_t& y) {
    int used = entry.bits;
    if (entry.kind == PairKind::kCode) {
        x = entry.x;
        y = entry.y;
    } else {
        const std::optional<int> value = PairTree(table_index).Decode(window, used);
        if (!value) {
            return -1;
        }
        const std::uint8_t split = PairSplit(table_index)[static_cast<std::size_t>(*value)];
        x = split >> 4;
        y = split & 15;
    }
    const int linbits = kPairTables[static_cast<std::size_t>(table_index)].linbits;
    if (linbits > 0 && x == 15) {
        x += Take(window, used, linbits);
    }
    x = TakeSign(window, used, x);
    if (linbits > 0 && y == 15) {
        y += Take(window, used, linbits);
    }
    y = TakeSign(window, used, y);
    return used;
}

// A quadruple that its look-up entry does not hold (none of the standard's tables leaves one).
int SlowQuad(std::uint64_t window, int table_index, std::array<std::int32_t, 4>& vwxy) {
    int used = 0;
    const std::optional<int> value = QuadTree(table_index).Decode(window, used);
    if (!value) {
        return -1;
    }
    for (std::size_t i = 0; i < 4; ++i) {
        vwxy[i] = TakeSign(window, used, (*value >> (3 - i)) & 1);
    }
    return used;
}

// The stream's next bits held in a register: `window` starts at the reader's position plus
// `used`, and its first `valid` bits are the stream's (zeros past its end). A short code word
// costs a shift; the reader moves on only when the window is refilled.
class BitWindow {
  public:
    explicit BitWindow(BitReader& bits) : bits_(bits) { Refill(); }

    std::uint64_t Bits() const { return window_; }
    // At least `count` valid bits (count <= 57).
    void Need(int count) {
        if (valid_ < count) {
            Refill();
        }
    }
    void Refill() {
        bits_.Skip(static_cast<std::size_t>(used_));
        used_ = 0;
        window_ = bits_.PeekWide();
        valid_ = 64 - static_cast<int>(bits_.Position() & 7);
    }
    void Take(int count) {
        window_ <<= count;
        valid_ -= count;
        used_ += count;
    }
    std::size_t Position() const { return bits_.Position() + static_cast<std::size_t>(used_); }
    // Moves the reader to the window's start.
    void Sync() {
        bits_.Skip(static_cast<std::size_t>(used_));
        used_ = 0;
    }

  private:
    BitReader& bits_;
    std::uint64_t window_ = 0;
    int valid_ = 0;
    int used_ = 0;
};

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
    // The big values in three regions, each with its own table. A look-up finishes most pairs;
    // SlowPair the rest, from a window refilled to hold the longest pair.
    int line = 0;
    BitWindow window(bits);
    const int region_ends[3] = {std::min(region1, big_end), std::min(region2, big_end), big_end};
    for (std::size_t region = 0; region < 3; ++region) {
        const int region_end = std::max(region_ends[region], line);
        const int table_index = gc.table_select[region];
        if (line < region_end && (table_index == 4 || table_index == 14)) {
            window.Sync();
            result.error = HuffmanError::kBadTable;
            return result;
        }
        if (kPairTables[static_cast<std::size_t>(table_index)].size == 0) {
            // Table 0: pairs of zeros in no bits.
            line += (region_end - line + 1) / 2 * 2;
            continue;
        }
        const PairLookup& lookup = PairLookupOf(table_index);
        for (; line < region_end; line += 2) {
            window.Need(kPairBits);
            const PairEntry& entry = lookup[window.Bits() >> (64 - kPairBits)];
            std::int32_t x = entry.x;
            std::int32_t y = entry.y;
            int used = entry.bits;
            if (entry.kind != PairKind::kDone) {
                window.Refill();
                used = SlowPair(window.Bits(), entry, table_index, x, y);
                if (used < 0) {
                    window.Sync();
                    result.error = HuffmanError::kBadCode;
                    return result;
                }
            }
            window.Take(used);
            out[static_cast<std::size_t>(line)] = x;
            out[static_cast<std::size_t>(line) + 1] = y;
            if (window.Position() > end) {
                window.Sync();
                result.error = HuffmanError::kOverrun;
                return result;
            }
        }
    }
    result.nonzero_end = line;
    // Count1: quadruples until the granule's bits are used up. A quadruple whose code runs past
    // the end was never meant (the encoder stopped within it) and is dropped.
    const int quad_table = gc.count1table_select ? 1 : 0;
    const QuadLookup& quads = QuadLookupOf(quad_table);
    while (line + 4 <= kGranuleLines && window.Position() < end) {
        window.Need(kQuadBits);
        const QuadEntry& entry = quads[window.Bits() >> (64 - kQuadBits)];
        std::array<std::int32_t, 4> vwxy = {entry.vwxy[0], entry.vwxy[1], entry.vwxy[2],
                                            entry.vwxy[3]};
        int used = entry.bits;
        if (used == 0) {
            window.Refill();
            used = SlowQuad(window.Bits(), quad_table, vwxy);
            if (used < 0) {
                window.Sync();
                result.error = HuffmanError::kBadCode;
                return result;
            }
        }
        window.Take(used);
        if (window.Position() > end) {
            break;
        }
        std::copy(vwxy.begin(), vwxy.end(), out.begin() + line);
        line += 4;
    }
    window.Sync();
    result.nonzero_end = line;
    return result;
}

}  // namespace sonvara::mp3
