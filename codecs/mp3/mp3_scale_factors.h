#pragma once
// The scale factors at the start of each granule's main data (part 2): MPEG-1's, with the
// scale-factor selection information that lets granule 1 reuse granule 0's band groups, and
// the lower-sampling-frequency form of MPEG-2 and MPEG-2.5, whose 9-bit scalefac_compress
// selects bit widths for four band partitions.

#include <array>
#include <cstdint>

#include "codecs/mp3/mp3_bit_reader.h"
#include "codecs/mp3/mp3_header.h"
#include "codecs/mp3/mp3_side_info.h"

namespace sonvara::mp3 {

struct ScaleFactors {
    std::array<std::uint8_t, 22> long_bands{};                  // band 21 is never sent: 0
    std::array<std::array<std::uint8_t, 3>, 13> short_bands{};  // [band][window]; band 12: 0
    // MPEG-2 and MPEG-2.5 only: whether scalefac_compress set the preflag; and, for the
    // intensity-stereo right channel, the intensity scale and each band's largest scale factor
    // ((1 << slen) - 1), which marks a band as not intensity-coded.
    bool lsf_preflag = false;
    int intensity_scale = 0;
    std::array<std::uint8_t, 22> long_illegal{};
    std::array<std::uint8_t, 13> short_illegal{};
};

// Reads one granule's scale factors for one channel. For MPEG-1 granule 1, `scale_factors`
// must still hold the channel's granule-0 values: band groups that scfsi marks are kept. The
// right channel of an MPEG-2 or MPEG-2.5 intensity-stereo frame splits its scalefac_compress
// differently.
void ReadScaleFactors(BitReader& bits, const FrameHeader& header, const SideInfo& side, int granule,
                      int channel, ScaleFactors& scale_factors);

}  // namespace sonvara::mp3
