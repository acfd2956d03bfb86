// The byte-order helpers: each order's bytes for known values, loads of bytes with the top bit set
// (where a sign could leak in), and appends to both kinds of buffer.

#include "core/byte_order.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace sonvara {
namespace {

TEST(ByteOrder, StoresPutTheBytesInTheirOrderAndLoadsReadThemBack) {
    std::array<std::uint8_t, 4> bytes{};
    StoreLE32(bytes.data(), 0x12345678);
    EXPECT_EQ(bytes, (std::array<std::uint8_t, 4>{0x78, 0x56, 0x34, 0x12}));
    EXPECT_EQ(LoadLE32(bytes.data()), 0x12345678u);
    StoreBE32(bytes.data(), 0x12345678);
    EXPECT_EQ(bytes, (std::array<std::uint8_t, 4>{0x12, 0x34, 0x56, 0x78}));
    EXPECT_EQ(LoadBE32(bytes.data()), 0x12345678u);

    bytes = {};
    StoreLE16(bytes.data(), 0xABCD);
    EXPECT_EQ(bytes, (std::array<std::uint8_t, 4>{0xCD, 0xAB, 0, 0}));
    EXPECT_EQ(LoadLE16(bytes.data()), 0xABCD);
    StoreBE16(bytes.data() + 2, 0xABCD);
    EXPECT_EQ(bytes, (std::array<std::uint8_t, 4>{0xCD, 0xAB, 0xAB, 0xCD}));
    EXPECT_EQ(LoadBE16(bytes.data() + 2), 0xABCD);
}

TEST(ByteOrder, HighBytesLoadAsUnsignedValues) {
    const std::uint8_t ones[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(LoadLE32(ones), 0xFFFFFFFFu);
    EXPECT_EQ(LoadBE32(ones), 0xFFFFFFFFu);
    EXPECT_EQ(LoadLE16(ones), 0xFFFF);
    const std::uint8_t top[4] = {0x80, 0x00, 0x00, 0x80};
    EXPECT_EQ(LoadLE32(top), 0x80000080u);
    EXPECT_EQ(LoadBE32(top), 0x80000080u);
    EXPECT_EQ(LoadBE16(top), 0x8000);
    EXPECT_EQ(LoadLE16(top), 0x0080);
    // A 16-bit sample read as signed: -2 is 0xFFFE.
    const std::uint8_t minus_two[2] = {0xFE, 0xFF};
    EXPECT_EQ(static_cast<std::int16_t>(LoadLE16(minus_two)), -2);
}

TEST(ByteOrder, AppendsGrowVectorsAndStringsAlike) {
    std::vector<std::uint8_t> vector = {0x01};
    AppendLE16(vector, 0x0302);
    AppendLE32(vector, 0x07060504);
    AppendBE16(vector, 0x0809);
    AppendBE32(vector, 0x0A0B0C0D);
    EXPECT_EQ(vector, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}));

    std::string text;
    AppendLE32(text, 0xFF80417Fu);
    AppendBE32(text, 0xFF80417Fu);
    EXPECT_EQ(text, std::string("\x7F\x41\x80\xFF\xFF\x80\x41\x7F", 8));
    EXPECT_EQ(LoadLE32(reinterpret_cast<const std::uint8_t*>(text.data())), 0xFF80417Fu);
    EXPECT_EQ(LoadBE32(reinterpret_cast<const std::uint8_t*>(text.data()) + 4), 0xFF80417Fu);
}

}  // namespace
}  // namespace sonvara
