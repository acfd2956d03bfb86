#pragma once
// LGSMFrame: the GSM 06.10 full-rate speech codec (RPE-LTP), 160 samples at 8000 Hz to one
// frame of 76 parameters and back.
//
// The core (EncodeNormal, DecodeNormal, and the parameter forms Encode, Decode) works on the
// standard's 16-bit codec signal: the encoder takes the signal after the standard's
// preprocessing (offset compensation and pre-emphasis), and the decoder gives the output of the
// short-term synthesis filter, before de-emphasis. Around it sit two pairs of filters:
//
//  - The program's own (EncodeSamples, DecodeSamples) on internal samples (16-bit full scale at
//    ±0x7FFF0): offset compensation and pre-emphasis with 880/1024 for the standard's
//    28180/32768, and a de-emphasis that keeps the result on the internal scale with neither
//    truncation to 13 bits nor clipping at full scale.
//  - The standard's own (GsmStandardPreprocessor, GsmStandardPostprocessor) on 16-bit samples,
//    as every other GSM 06.10 coder applies them; the WAV codec uses these.
//
// A frame object keeps both the encoder's and the decoder's memories; encoding and decoding do
// not disturb each other. Not thread-safe; one object per stream.

#include <array>
#include <cstdint>

#include "codecs/gsm/gsm_packing.h"

namespace sonvara {

class LGSMFrame {
  public:
    // The lag the long-term synthesis starts with, and falls back to for a frame whose lag is
    // outside 40..120.
    static constexpr int kInitialLag = 40;
    // The largest magnitude DecodeSamples gives: the standard's 16-bit range of the de-emphasised
    // signal, on the internal scale (twice full scale).
    static constexpr std::int32_t kPeak = 32 * 32767;

    // Codes 160 samples of the 16-bit codec signal into a 33-byte frame.
    void EncodeNormal(const std::int16_t in[gsm::kFrameSamples],
                      std::uint8_t out[gsm::kFrameBytes]);
    // Decodes a 33-byte frame (the signature is not checked) into 160 samples of the short-term
    // synthesis output.
    void DecodeNormal(const std::uint8_t in[gsm::kFrameBytes],
                      std::int16_t out[gsm::kFrameSamples]);

    gsm::FrameParameters Encode(const std::int16_t in[gsm::kFrameSamples]);
    void Decode(const gsm::FrameParameters& frame, std::int16_t out[gsm::kFrameSamples]);

    // The program's filters around the core, on internal samples.
    void EncodeSamples(const std::int32_t in[gsm::kFrameSamples],
                       std::uint8_t out[gsm::kFrameBytes]);
    void DecodeSamples(const std::uint8_t in[gsm::kFrameBytes],
                       std::int32_t out[gsm::kFrameSamples]);

    // All memories back to their start: zeros, lag 40.
    void Reset() { *this = LGSMFrame(); }

  private:
    struct Encoder {
        std::array<std::int16_t, 8> larpp_previous{};
        std::array<std::int16_t, 8> u{};     // short-term analysis filter
        std::array<std::int16_t, 120> dp{};  // reconstructed short-term residual, oldest first
    };
    struct Decoder {
        std::array<std::int16_t, 8> larpp_previous{};
        std::array<std::int16_t, 9> v{};      // short-term synthesis filter
        std::array<std::int16_t, 120> drp{};  // reconstructed long-term residual, oldest first
        int nrp = kInitialLag;
    };
    struct PreFilter {
        std::int64_t accumulator = 0;
        std::int32_t previous_input = 0;
        std::int32_t previous_compensated = 0;
    };

    Encoder encoder_;
    Decoder decoder_;
    PreFilter pre_filter_;
    std::int32_t post_filter_ = 0;  // the last output sample
};

// The standard's preprocessing of 16-bit input (13 significant bits are used): downscaling,
// offset compensation and pre-emphasis, giving the codec signal EncodeNormal takes.
class GsmStandardPreprocessor {
  public:
    void Process(const std::int16_t in[gsm::kFrameSamples], std::int16_t out[gsm::kFrameSamples]);

  private:
    std::int16_t z1_ = 0;
    std::int32_t l_z2_ = 0;
    std::int16_t mp_ = 0;
};

// The standard's postprocessing of DecodeNormal's output: de-emphasis, upscaling and truncation
// to 13 bits, giving 16-bit output.
class GsmStandardPostprocessor {
  public:
    void Process(const std::int16_t in[gsm::kFrameSamples], std::int16_t out[gsm::kFrameSamples]);

  private:
    std::int16_t msr_ = 0;
};

}  // namespace sonvara
