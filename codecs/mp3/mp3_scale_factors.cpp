#include "codecs/mp3/mp3_scale_factors.h"

namespace sonvara::mp3 {
namespace {

// MPEG-1: bits of the scale factors of bands 0..10 (slen1) and 11..20 (slen2) by
// scalefac_compress; short blocks use slen1 for bands 0..5 and slen2 for 6..11.
constexpr std::array<std::uint8_t, 16> kSlen1 = {0, 0, 0, 0, 3, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4};
constexpr std::array<std::uint8_t, 16> kSlen2 = {0, 1, 2, 3, 0, 1, 2, 3, 1, 2, 3, 1, 2, 3, 2, 3};

// The four long-block band groups that scfsi refers to.
constexpr std::array<int, 5> kScfsiGroupStart = {0, 6, 11, 16, 21};

void ReadMpeg1(BitReader& bits, const GranuleChannel& gc, const std::array<bool, 4>& scfsi,
               int granule, ScaleFactors& sf) {
    const int slen1 = kSlen1[static_cast<std::size_t>(gc.scalefac_compress)];
    const int slen2 = kSlen2[static_cast<std::size_t>(gc.scalefac_compress)];
    if (gc.window_switching && gc.block_type == BlockType::kShort) {
        int first_short = 0;
        if (gc.mixed_block) {
            for (std::size_t band = 0; band < 8; ++band) {
                sf.long_bands[band] = static_cast<std::uint8_t>(bits.Read(slen1));
            }
            first_short = 3;
        }
        for (int band = first_short; band < 12; ++band) {
            for (auto& window : sf.short_bands[static_cast<std::size_t>(band)]) {
                window = static_cast<std::uint8_t>(bits.Read(band < 6 ? slen1 : slen2));
            }
        }
        sf.short_bands[12] = {};
        return;
    }
    for (std::size_t group = 0; group < 4; ++group) {
        const bool reuse = granule == 1 && scfsi[group];
        if (reuse) {
            continue;
        }
        for (int band = kScfsiGroupStart[group]; band < kScfsiGroupStart[group + 1]; ++band) {
            sf.long_bands[static_cast<std::size_t>(band)] =
                static_cast<std::uint8_t>(bits.Read(group < 2 ? slen1 : slen2));
        }
    }
    sf.long_bands[21] = 0;
}

// Scale factors per partition for each of the six ways to split scalefac_compress (three
// plain, three for the intensity-stereo right channel), for long, short and mixed blocks.
// Short and mixed counts are of band windows (three per band); a mixed block's first six are
// long bands.
constexpr std::uint8_t kLsfPartitions[6][3][4] = {
    {{6, 5, 5, 5}, {9, 9, 9, 9}, {6, 9, 9, 9}},
    {{6, 5, 7, 3}, {9, 9, 12, 6}, {6, 9, 12, 6}},
    {{11, 10, 0, 0}, {18, 18, 0, 0}, {15, 18, 0, 0}},
    {{7, 7, 7, 0}, {12, 12, 12, 0}, {6, 15, 12, 0}},
    {{6, 6, 6, 3}, {12, 9, 9, 6}, {6, 12, 9, 6}},
    {{8, 8, 5, 0}, {15, 12, 9, 0}, {6, 18, 9, 0}},
};

void ReadLsf(BitReader& bits, const GranuleChannel& gc, bool intensity_right, ScaleFactors& sf) {
    std::array<int, 4> slen{};
    int split = 0;
    sf.lsf_preflag = false;
    const int compress = gc.scalefac_compress;
    if (!intensity_right) {
        if (compress < 400) {
            slen = {(compress >> 4) / 5, (compress >> 4) % 5, (compress & 15) >> 2, compress & 3};
            split = 0;
        } else if (compress < 500) {
            const int c = compress - 400;
            slen = {(c >> 2) / 5, (c >> 2) % 5, c & 3, 0};
            split = 1;
        } else {
            const int c = compress - 500;
            slen = {c / 3, c % 3, 0, 0};
            split = 2;
            sf.lsf_preflag = true;
        }
    } else {
        const int c = compress >> 1;
        if (c < 180) {
            slen = {c / 36, (c % 36) / 6, (c % 36) % 6, 0};
            split = 3;
        } else if (c < 244) {
            const int d = c - 180;
            slen = {(d & 63) >> 4, (d & 15) >> 2, d & 3, 0};
            split = 4;
        } else {
            const int d = c - 244;
            slen = {d / 3, d % 3, 0, 0};
            split = 5;
        }
    }
    const bool is_short = gc.window_switching && gc.block_type == BlockType::kShort;
    const int kind = !is_short ? 0 : gc.mixed_block ? 2 : 1;
    sf.long_bands = {};
    for (auto& band : sf.short_bands) {
        band = {};
    }
    sf.intensity_scale = compress & 1;
    sf.long_illegal = {};
    sf.short_illegal = {};
    int item = 0;  // long bands, or band windows counted from the first short band
    for (int part = 0; part < 4; ++part) {
        const int count = kLsfPartitions[split][kind][part];
        const int width = slen[static_cast<std::size_t>(part)];
        for (int i = 0; i < count; ++i, ++item) {
            const auto value = static_cast<std::uint8_t>(bits.Read(width));
            const auto illegal = static_cast<std::uint8_t>((1 << width) - 1);
            if (kind == 0 || (kind == 2 && item < 6)) {
                sf.long_bands[static_cast<std::size_t>(item)] = value;
                sf.long_illegal[static_cast<std::size_t>(item)] = illegal;
            } else {
                const int short_item = kind == 2 ? item - 6 + 9 : item;  // mixed: from band 3
                const auto band = static_cast<std::size_t>(short_item / 3);
                sf.short_bands[band][static_cast<std::size_t>(short_item % 3)] = value;
                sf.short_illegal[band] = illegal;
            }
        }
    }
}

}  // namespace

void ReadScaleFactors(BitReader& bits, const FrameHeader& header, const SideInfo& side, int granule,
                      int channel, ScaleFactors& scale_factors) {
    const GranuleChannel& gc =
        side.granules[static_cast<std::size_t>(granule)][static_cast<std::size_t>(channel)];
    if (header.IsMpeg1()) {
        ReadMpeg1(bits, gc, side.scfsi[static_cast<std::size_t>(channel)], granule, scale_factors);
    } else {
        ReadLsf(bits, gc, header.Intensity() && channel == 1, scale_factors);
    }
}

}  // namespace sonvara::mp3
