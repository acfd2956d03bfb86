#pragma once
// G.711 companding: µ-law and A-law, 8-bit codes to and from 16-bit linear samples.
// Decoding is a table look-up. Two encoders each:
//  - LinearToUlaw / LinearToAlaw truncate the 16-bit sample, so a sample always maps to the code
//    whose segment and step contain it (what headerless and AU files have always been written
//    with);
//  - RoundedLinearToUlaw / RoundedLinearToAlaw first round the sample to the law's own uniform
//    code (14 bits for µ-law, 13 for A-law, halves up, held at the top) and quantise that as
//    G.711 does: the codes other programs write into WAV files.

#include <cstdint>

namespace sonvara::g711 {

// µ-law: bit 7 set means positive; codes are stored inverted, so 0xFF and 0x7F are the two zeros
// and 0x80 / 0x00 are +32124 / −32124.
std::int16_t UlawToLinear(std::uint8_t code);
std::uint8_t LinearToUlaw(std::int16_t sample);
std::uint8_t RoundedLinearToUlaw(std::int16_t sample);

// A-law: bit 7 set means positive; even bits are inverted on the line, so 0xD5 / 0x55 are ±8,
// the smallest magnitudes, and there is no code for zero.
std::int16_t AlawToLinear(std::uint8_t code);
std::uint8_t LinearToAlaw(std::int16_t sample);
std::uint8_t RoundedLinearToAlaw(std::int16_t sample);

}  // namespace sonvara::g711
