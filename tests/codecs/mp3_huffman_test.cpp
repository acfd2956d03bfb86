// The Layer III Huffman tables and decoding: every table is a complete prefix code with one
// word per value, every word decodes to its own value, and the decoding of a granule keeps to
// its regions, linbits, signs and bit budget.

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "codecs/mp3/mp3_huffman.h"

namespace sonvara {
namespace {

using mp3::HuffmanTable;

// Writes bits most significant first, for building test input.
class BitWriter {
  public:
    void Put(std::uint32_t value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            if (bits_ % 8 == 0) {
                bytes_.push_back(0);
            }
            if ((value >> i) & 1U) {
                bytes_.back() |= static_cast<std::uint8_t>(0x80 >> (bits_ % 8));
            }
            ++bits_;
        }
    }
    void PutCode(const HuffmanTable& table, std::size_t value) {
        Put(table.codes[value], table.lengths[value]);
    }
    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    std::size_t Bits() const { return bits_; }

  private:
    std::vector<std::uint8_t> bytes_;
    std::size_t bits_ = 0;
};

void CheckCompletePrefixCode(const HuffmanTable& table, std::size_t values,
                             const mp3::HuffmanTree& tree) {
    ASSERT_EQ(table.codes.size(), values);
    ASSERT_EQ(table.lengths.size(), values);
    // Kraft: a complete prefix code fills the code space exactly.
    double kraft = 0.0;
    std::set<std::pair<int, int>> words;
    for (std::size_t v = 0; v < values; ++v) {
        ASSERT_GE(table.lengths[v], 1);
        ASSERT_LE(table.lengths[v], mp3::kMaxCodeLength);
        ASSERT_LT(table.codes[v], 1U << table.lengths[v]) << v;
        kraft += std::ldexp(1.0, -table.lengths[v]);
        EXPECT_TRUE(words.insert({table.lengths[v], table.codes[v]}).second) << v;
    }
    EXPECT_EQ(kraft, 1.0);
    // Build refuses a code in which one word is the prefix of another.
    EXPECT_EQ(tree.Leaves(), values);
    for (std::size_t v = 0; v < values; ++v) {
        BitWriter writer;
        writer.PutCode(table, v);
        writer.Put(0x5A5A5, 20);  // whatever follows must not be read
        mp3::BitReader bits(writer.Bytes());
        EXPECT_EQ(tree.Decode(bits), static_cast<int>(v));
        EXPECT_EQ(bits.Position(), table.lengths[v]);
    }
}

TEST(Mp3Huffman, EveryPairTableIsACompletePrefixCodeThatDecodesEachWord) {
    const std::set<int> without_words = {0, 4, 14};
    const int sizes[32] = {0,  2,  3,  3,  0,  4,  4,  6,  6,  6,  8,  8,  8,  16, 0,  16,
                           16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16};
    const int linbits[32] = {0, 0, 0, 0, 0, 0, 0,  0,  0, 0, 0, 0, 0, 0, 0,  0,
                             1, 2, 3, 4, 6, 8, 10, 13, 4, 5, 6, 7, 8, 9, 11, 13};
    for (int t = 0; t < mp3::kHuffmanTables; ++t) {
        SCOPED_TRACE(t);
        const HuffmanTable& table = mp3::kPairTables[static_cast<std::size_t>(t)];
        EXPECT_EQ(table.size, sizes[t]);
        EXPECT_EQ(table.linbits, linbits[t]);
        if (without_words.count(t) != 0) {
            EXPECT_TRUE(table.codes.empty());
            continue;
        }
        CheckCompletePrefixCode(table, static_cast<std::size_t>(table.size * table.size),
                                mp3::PairTree(t));
    }
    // 16..23 and 24..31 share their words.
    for (int t = 17; t < 24; ++t) {
        EXPECT_EQ(mp3::kPairTables[static_cast<std::size_t>(t)].codes.data(),
                  mp3::kPairTables[16].codes.data());
    }
    for (int t = 25; t < 32; ++t) {
        EXPECT_EQ(mp3::kPairTables[static_cast<std::size_t>(t)].codes.data(),
                  mp3::kPairTables[24].codes.data());
    }
}

TEST(Mp3Huffman, Count1TablesAreCompletePrefixCodesOfSixteenQuadruples) {
    for (int t = 0; t < 2; ++t) {
        SCOPED_TRACE(t);
        CheckCompletePrefixCode(mp3::kQuadTables[static_cast<std::size_t>(t)], 16,
                                mp3::QuadTree(t));
    }
    // Table B is the quadruple's four bits inverted, table A gives (0,0,0,0) one bit.
    EXPECT_EQ(mp3::kQuadTables[1].lengths[5], 4);
    EXPECT_EQ(mp3::kQuadTables[1].codes[5], 15 - 5);
    EXPECT_EQ(mp3::kQuadTables[0].lengths[0], 1);
}

TEST(Mp3Huffman, TreeBuildRefusesCodesWhereOneWordPrefixesAnother) {
    const std::uint16_t codes[] = {1, 3, 0};  // "1" is a prefix of "11"
    const std::uint8_t lengths[] = {1, 2, 1};
    EXPECT_FALSE(mp3::HuffmanTree::Build(codes, lengths));
    const std::uint16_t same[] = {1, 1};
    const std::uint8_t same_lengths[] = {2, 2};
    EXPECT_FALSE(mp3::HuffmanTree::Build(same, same_lengths));
    const std::uint16_t longer[] = {0};
    const std::uint8_t too_long[] = {mp3::kMaxCodeLength + 1};
    EXPECT_FALSE(mp3::HuffmanTree::Build(longer, too_long));
    // A tree with no words decodes nothing.
    const std::uint8_t byte = 0;
    mp3::BitReader bits(std::span<const std::uint8_t>(&byte, 1));
    EXPECT_FALSE(mp3::HuffmanTree().Decode(bits));
}

// 44.1 kHz bands; region 0 is bands 0..region0_count.
const mp3::ScaleFactorBands& Bands44() {
    return mp3::kScaleFactorBands[0];
}

TEST(Mp3Huffman, GranuleUsesEachRegionsTableLinbitsSignsAndCount1) {
    mp3::GranuleChannel gc;
    gc.big_values = 10;    // lines 0..19
    gc.region0_count = 1;  // region 0: bands 0, 1 = lines 0..7
    gc.region1_count = 0;  // region 1: band 2 = lines 8..11; region 2 from line 12
    gc.table_select = {1, 7, 24};
    gc.count1table_select = true;
    BitWriter w;
    const HuffmanTable& t1 = mp3::kPairTables[1];
    const HuffmanTable& t7 = mp3::kPairTables[7];
    const HuffmanTable& t24 = mp3::kPairTables[24];
    // Region 0, table 1: (1, 0) with x negative, (0, 1), (1, 1) both negative, (0, 0).
    w.PutCode(t1, 2);
    w.Put(1, 1);
    w.PutCode(t1, 1);
    w.Put(0, 1);
    w.PutCode(t1, 3);
    w.Put(1, 1);
    w.Put(1, 1);
    w.PutCode(t1, 0);
    // Region 1, table 7: (5, 3), (0, 2) negative.
    w.PutCode(t7, 5 * 6 + 3);
    w.Put(0, 1);
    w.Put(0, 1);
    w.PutCode(t7, 2);
    w.Put(1, 1);
    // Region 2, table 24 (4 linbits): (15 + 9, 14), then (15 + 0, 15 + 15) negative, then zeros.
    w.PutCode(t24, 15 * 16 + 14);
    w.Put(9, 4);
    w.Put(0, 1);
    w.Put(0, 1);
    w.PutCode(t24, 15 * 16 + 15);
    w.Put(0, 4);
    w.Put(0, 1);
    w.Put(15, 4);
    w.Put(1, 1);
    for (int i = 0; i < 2; ++i) {
        w.PutCode(t24, 0);
    }
    // Count1, table B: (1, 0, 1, 1) with signs -, +, -, then (0, 0, 0, 0).
    w.PutCode(mp3::kQuadTables[1], 0b1011);
    w.Put(0b101, 3);
    w.PutCode(mp3::kQuadTables[1], 0);
    const std::size_t end = w.Bits();
    w.Put(0xFFFF, 16);  // the next granule's bits

    mp3::BitReader bits(w.Bytes());
    mp3::QuantizedSpectrum out;
    out.fill(99);
    const mp3::HuffmanResult result = mp3::DecodeHuffman(bits, end, gc, Bands44(), out);
    ASSERT_EQ(result.error, mp3::HuffmanError::kNone);
    EXPECT_EQ(result.nonzero_end, 28);
    EXPECT_EQ(bits.Position(), end);
    const std::vector<int> expected = {-1, 0,  0,  1,   -1, -1, 0, 0, 5,  3, 0, -2,
                                       24, 14, 15, -30, 0,  0,  0, 0, -1, 0, 1, -1};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(out[i], expected[i]) << i;
    }
    for (std::size_t i = expected.size(); i < out.size(); ++i) {
        ASSERT_EQ(out[i], 0) << i;
    }
}

TEST(Mp3Huffman, EveryWordOfEveryTableDecodesWithItsSignsAndLinbits) {
    // A granule per pair table holding each of its pairs, with signs and linbits extensions
    // varying, then each quadruple of a count1 table: short words are finished by the look-ups,
    // long ones and extended values go on from them, and the bit window refills in between.
    for (int t = 1; t < mp3::kHuffmanTables; ++t) {
        const HuffmanTable& table = mp3::kPairTables[static_cast<std::size_t>(t)];
        if (table.size == 0) {
            continue;
        }
        SCOPED_TRACE(t);
        BitWriter w;
        std::vector<int> expected;
        int n = 0;
        const auto put_value = [&](int magnitude) {
            if (table.linbits > 0 && magnitude == 15) {
                const int extension = (n * 37) % (1 << table.linbits);
                w.Put(static_cast<std::uint32_t>(extension), table.linbits);
                magnitude += extension;
            }
            const bool negative = magnitude != 0 && (++n % 3) != 0;
            if (magnitude != 0) {
                w.Put(negative ? 1 : 0, 1);
            }
            expected.push_back(negative ? -magnitude : magnitude);
        };
        for (int x = 0; x < table.size; ++x) {
            for (int y = 0; y < table.size; ++y) {
                w.PutCode(table, static_cast<std::size_t>(x * table.size + y));
                put_value(x);
                put_value(y);
            }
        }
        mp3::GranuleChannel gc;
        gc.big_values = table.size * table.size;
        gc.table_select = {t, t, t};
        gc.count1table_select = t % 2 == 0;
        for (std::size_t v = 0; v < 16; ++v) {
            w.PutCode(mp3::kQuadTables[gc.count1table_select ? 1 : 0], v);
            for (int bit = 3; bit >= 0; --bit) {
                put_value(static_cast<int>(v >> bit) & 1);
            }
        }
        const std::size_t end = w.Bits();
        w.Put(0xABCDE, 20);  // the next granule's bits
        mp3::BitReader bits(w.Bytes());
        mp3::QuantizedSpectrum out;
        const mp3::HuffmanResult result = mp3::DecodeHuffman(bits, end, gc, Bands44(), out);
        ASSERT_EQ(result.error, mp3::HuffmanError::kNone);
        EXPECT_EQ(bits.Position(), end);
        ASSERT_EQ(result.nonzero_end, static_cast<int>(expected.size()));
        for (std::size_t i = 0; i < expected.size(); ++i) {
            ASSERT_EQ(out[i], expected[i]) << i;
        }
    }
}

TEST(Mp3Huffman, DropsTheCount1QuadrupleThatCrossesTheGranuleEnd) {
    mp3::GranuleChannel gc;
    gc.big_values = 0;
    gc.count1table_select = false;  // table A
    BitWriter w;
    w.PutCode(mp3::kQuadTables[0], 0b0001);
    w.Put(0, 1);                             // (0, 0, 0, 1)
    w.PutCode(mp3::kQuadTables[0], 0b1111);  // (1, 1, 1, 1) with its signs cut off
    const std::size_t end = w.Bits();
    w.Put(0b1010, 4);
    mp3::BitReader bits(w.Bytes());
    mp3::QuantizedSpectrum out;
    const mp3::HuffmanResult result = mp3::DecodeHuffman(bits, end, gc, Bands44(), out);
    ASSERT_EQ(result.error, mp3::HuffmanError::kNone);
    EXPECT_EQ(result.nonzero_end, 4);
    EXPECT_EQ(out[3], 1);
    EXPECT_EQ(out[4], 0);
    EXPECT_EQ(out[7], 0);
}

TEST(Mp3Huffman, RejectsMissingTablesAndBigValuesPastTheGranule) {
    mp3::GranuleChannel gc;
    gc.big_values = 4;
    gc.region0_count = 15;
    gc.region1_count = 7;
    for (int missing : {4, 14}) {
        gc.table_select = {missing, 1, 1};
        const std::vector<std::uint8_t> bytes(8, 0);
        mp3::BitReader bits(bytes);
        mp3::QuantizedSpectrum out;
        EXPECT_EQ(mp3::DecodeHuffman(bits, 64, gc, Bands44(), out).error,
                  mp3::HuffmanError::kBadTable);
    }
    gc.table_select = {15, 15, 15};
    const std::vector<std::uint8_t> bytes(8, 0);  // long words of table 15
    mp3::BitReader bits(bytes);
    mp3::QuantizedSpectrum out;
    EXPECT_EQ(mp3::DecodeHuffman(bits, 10, gc, Bands44(), out).error, mp3::HuffmanError::kOverrun);
}

}  // namespace
}  // namespace sonvara
