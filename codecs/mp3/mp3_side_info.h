#pragma once
// The side information of a Layer III frame: where each granule's main data ends, and how each
// granule and channel is coded (ISO/IEC 11172-3 clause 2.4.1.7, 13818-3 clause 2.4.1.7).

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "codecs/mp3/mp3_header.h"

namespace sonvara::mp3 {

enum class BlockType : std::uint8_t { kNormal = 0, kStart = 1, kShort = 2, kStop = 3 };

// One granule of one channel.
struct GranuleChannel {
    int part2_3_length = 0;  // bits of scale factors and Huffman data
    int big_values = 0;      // pairs in the big-values region, at most 288
    int global_gain = 0;
    int scalefac_compress = 0;  // 4 bits in MPEG-1, 9 in MPEG-2 and MPEG-2.5
    bool window_switching = false;
    BlockType block_type = BlockType::kNormal;
    bool mixed_block = false;
    std::array<int, 3> table_select{};
    std::array<int, 3> subblock_gain{};
    // Scale-factor bands in regions 0 and 1 less one each. With window switching they are not
    // sent: region 0 ends after 8 bands for plain short blocks and after 7 otherwise, and
    // region 1 reaches the end of the big values.
    int region0_count = 0;
    int region1_count = 0;
    bool preflag = false;  // MPEG-1 only; MPEG-2 takes it from scalefac_compress
    bool scalefac_scale = false;
    bool count1table_select = false;
};

struct SideInfo {
    int main_data_begin = 0;  // bytes of this frame's main data in earlier frames
    int private_bits = 0;
    // MPEG-1: for each channel and each of the four scale-factor band groups, whether granule 1
    // reuses granule 0's scale factors.
    std::array<std::array<bool, 4>, 2> scfsi{};
    std::array<std::array<GranuleChannel, 2>, 2> granules{};  // [granule][channel]
};

enum class SideInfoError : std::uint8_t {
    kNone,
    kTooShort,           // fewer bytes than the header says the side information takes
    kBigValuesTooLarge,  // more than 288 pairs (576 lines)
    kReservedBlockType,  // window switching with block type 0
};

// Reads the side information from `bytes` (which start with it). Fields that the standard
// leaves undefined are rejected.
std::optional<SideInfo> ReadSideInfo(const FrameHeader& header, std::span<const std::uint8_t> bytes,
                                     SideInfoError* error = nullptr);

}  // namespace sonvara::mp3
