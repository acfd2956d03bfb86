#include "codecs/mp3/mp3_side_info.h"

#include "codecs/mp3/mp3_bit_reader.h"

namespace sonvara::mp3 {
namespace {

constexpr int kMaxBigValues = kGranuleLines / 2;

// Returns false when the fields read are undefined.
bool ReadGranuleChannel(const FrameHeader& header, BitReader& bits, GranuleChannel& gc,
                        SideInfoError& error) {
    gc.part2_3_length = static_cast<int>(bits.Read(12));
    gc.big_values = static_cast<int>(bits.Read(9));
    if (gc.big_values > kMaxBigValues) {
        error = SideInfoError::kBigValuesTooLarge;
        return false;
    }
    gc.global_gain = static_cast<int>(bits.Read(8));
    gc.scalefac_compress = static_cast<int>(bits.Read(header.IsMpeg1() ? 4 : 9));
    gc.window_switching = bits.ReadBit() != 0;
    if (gc.window_switching) {
        gc.block_type = static_cast<BlockType>(bits.Read(2));
        if (gc.block_type == BlockType::kNormal) {
            error = SideInfoError::kReservedBlockType;
            return false;
        }
        gc.mixed_block = bits.ReadBit() != 0;
        for (int i = 0; i < 2; ++i) {
            gc.table_select[static_cast<std::size_t>(i)] = static_cast<int>(bits.Read(5));
        }
        gc.table_select[2] = 0;
        for (auto& gain : gc.subblock_gain) {
            gain = static_cast<int>(bits.Read(3));
        }
        gc.region0_count = gc.block_type == BlockType::kShort && !gc.mixed_block ? 8 : 7;
        // Region 1 runs to the end of the big values: 22 bands reach line 576.
        gc.region1_count = 20 - gc.region0_count;
    } else {
        gc.block_type = BlockType::kNormal;
        gc.mixed_block = false;
        for (auto& table : gc.table_select) {
            table = static_cast<int>(bits.Read(5));
        }
        gc.subblock_gain = {};
        gc.region0_count = static_cast<int>(bits.Read(4));
        gc.region1_count = static_cast<int>(bits.Read(3));
    }
    gc.preflag = header.IsMpeg1() ? bits.ReadBit() != 0 : false;
    gc.scalefac_scale = bits.ReadBit() != 0;
    gc.count1table_select = bits.ReadBit() != 0;
    return true;
}

}  // namespace

std::optional<SideInfo> ReadSideInfo(const FrameHeader& header, std::span<const std::uint8_t> bytes,
                                     SideInfoError* error) {
    SideInfoError why = SideInfoError::kNone;
    auto fail = [&]() -> std::optional<SideInfo> {
        if (error != nullptr) {
            *error = why;
        }
        return std::nullopt;
    };
    const auto size = static_cast<std::size_t>(header.SideInfoBytes());
    if (bytes.size() < size) {
        why = SideInfoError::kTooShort;
        return fail();
    }
    BitReader bits(bytes.first(size));
    const int channels = header.Channels();
    SideInfo side;
    if (header.IsMpeg1()) {
        side.main_data_begin = static_cast<int>(bits.Read(9));
        side.private_bits = static_cast<int>(bits.Read(channels == 1 ? 5 : 3));
        for (int ch = 0; ch < channels; ++ch) {
            for (auto& band_group : side.scfsi[static_cast<std::size_t>(ch)]) {
                band_group = bits.ReadBit() != 0;
            }
        }
    } else {
        side.main_data_begin = static_cast<int>(bits.Read(8));
        side.private_bits = static_cast<int>(bits.Read(channels == 1 ? 1 : 2));
    }
    for (int gr = 0; gr < header.Granules(); ++gr) {
        for (int ch = 0; ch < channels; ++ch) {
            if (!ReadGranuleChannel(
                    header, bits,
                    side.granules[static_cast<std::size_t>(gr)][static_cast<std::size_t>(ch)],
                    why)) {
                return fail();
            }
        }
    }
    if (error != nullptr) {
        *error = SideInfoError::kNone;
    }
    return side;
}

}  // namespace sonvara::mp3
