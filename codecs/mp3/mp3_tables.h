#pragma once
// The fixed tables of MPEG audio Layer III (ISO/IEC 11172-3 and 13818-3) that more than one
// decoding stage uses.

#include <array>
#include <cstdint>

namespace sonvara::mp3 {

// Bit rates in kbit/s by bitrate index; index 0 (free format) and 15 (forbidden) are 0.
// Row 0: MPEG-1 Layer III; row 1: Layer III of MPEG-2 and MPEG-2.5.
extern const std::array<std::array<std::uint16_t, 16>, 2> kBitrateKbps;

// MPEG-1 sampling frequencies by index; MPEG-2 halves and MPEG-2.5 quarters them.
extern const std::array<std::uint16_t, 3> kMpeg1SampleRates;

// Scale-factor band boundaries (ISO/IEC 11172-3 table B.8, 13818-3 table B.2) by rate index
// version * 3 + sampling index: 44.1, 48, 32, 22.05, 24, 16, 11.025, 12 and 8 kHz.
// Long blocks: 22 bands over 576 lines; short blocks: 13 bands over the 192 lines of a window.
struct ScaleFactorBands {
    std::array<std::uint16_t, 23> long_start;
    std::array<std::uint8_t, 14> short_start;
};
extern const std::array<ScaleFactorBands, 9> kScaleFactorBands;

// Added to the long-block scale factors of a granule whose preflag is set.
extern const std::array<std::uint8_t, 22> kPretab;

// The synthesis window D[i] of the polyphase filter bank in units of 2^-16: every value of the
// standard's table is a whole number of such units.
extern const std::array<std::int32_t, 512> kSynthesisWindow;

}  // namespace sonvara::mp3
