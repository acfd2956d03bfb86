#pragma once
// Joint-stereo processing of one granule (ISO/IEC 11172-3 clause 2.4.3.4.9, ISO/IEC 13818-3
// clause 2.4.3.2): middle/side stereo turns the coded middle and side signals back into left
// and right; intensity stereo codes only the left channel above the right channel's last
// non-zero line and gives the right channel's scale factors as positions that split each band
// between the two.
//
// Works on requantized values in the Huffman order (short bands not yet reordered).

#include <optional>

#include "codecs/mp3/mp3_header.h"
#include "codecs/mp3/mp3_huffman.h"
#include "codecs/mp3/mp3_requantize.h"
#include "codecs/mp3/mp3_scale_factors.h"

namespace sonvara::mp3 {

// The gains an intensity position gives the coded signal in the left and the right channel;
// nothing for the position that marks a band as not intensity-coded (7 in MPEG-1; the largest
// scale factor, `illegal`, in MPEG-2 and MPEG-2.5).
struct IntensityGains {
    float left;
    float right;
};
std::optional<IntensityGains> Mpeg1Intensity(int position);
std::optional<IntensityGains> LsfIntensity(int position, int illegal, int intensity_scale);

// Middle/side and intensity stereo as the header's mode extension says: intensity-coded lines
// take the left channel's value times each channel's gain; the others, with middle/side on,
// L = (M + S)/√2 and R = (M − S)/√2. `right_quantized` is
// the right channel's Huffman output, which tells where its non-zero part ends.
void ProcessJointStereo(const FrameHeader& header, const GranuleChannel& right_gc,
                        const ScaleFactors& right_sf, const ScaleFactorBands& bands,
                        const QuantizedSpectrum& right_quantized, Spectrum& left, Spectrum& right);

}  // namespace sonvara::mp3
