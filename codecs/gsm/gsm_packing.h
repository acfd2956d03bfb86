#pragma once
// The 76 parameters of one GSM 06.10 frame (260 bits) and the two ways files pack them.
//
//  - The ".gsm" frame: 33 bytes, the signature nibble 0xD in the high four bits of byte 0, then
//    the parameters in transmission order, most significant bit first.
//  - The WAV form (format tag 49): two frames in 65 bytes (520 bits), both frames' parameters in
//    transmission order as one bit stream, least significant bit first.
//
// Transmission order: LARc[1..8] (6, 6, 5, 5, 4, 4, 3, 3 bits), then for each of the four
// sub-frames Nc (7), bc (2), Mc (2), xmaxc (6) and xMc[0..12] (3 bits each).

#include <array>
#include <cstdint>

namespace sonvara::gsm {

inline constexpr int kFrameSamples = 160;
inline constexpr int kSubFrameSamples = 40;
inline constexpr int kFrameBytes = 33;
inline constexpr int kWavPairBytes = 65;
inline constexpr std::uint8_t kSignature = 0xD;

struct SubFrameParameters {
    std::uint8_t nc = 40;                // LTP lag, 40..120 from an encoder (7 bits)
    std::uint8_t bc = 0;                 // LTP gain index (2 bits)
    std::uint8_t mc = 0;                 // RPE grid (2 bits)
    std::uint8_t xmaxc = 0;              // APCM block maximum (6 bits)
    std::array<std::uint8_t, 13> xmc{};  // RPE pulses (3 bits each)

    bool operator==(const SubFrameParameters&) const = default;
};

struct FrameParameters {
    std::array<std::uint8_t, 8> larc{};  // coded log-area ratios, LARc − MIC (so never negative)
    std::array<SubFrameParameters, 4> sub{};

    bool operator==(const FrameParameters&) const = default;
};

// Fields wider than their bit counts are cut to them.
void PackFrame(const FrameParameters& frame, std::uint8_t out[kFrameBytes]);
// Any 33 bytes unpack; the signature is not checked.
FrameParameters UnpackFrame(const std::uint8_t in[kFrameBytes]);

void PackWavPair(const FrameParameters& first, const FrameParameters& second,
                 std::uint8_t out[kWavPairBytes]);
void UnpackWavPair(const std::uint8_t in[kWavPairBytes], FrameParameters& first,
                   FrameParameters& second);

}  // namespace sonvara::gsm
