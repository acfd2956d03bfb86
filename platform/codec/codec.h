#pragma once
// Codec: one family of WAV formats that the codec manager can convert to and from 16-bit PCM.
//
// A codec looks at a coded format and, when it can handle it, makes a converter for one
// direction. It also names the formats it can write, for the format chooser.

#include <memory>
#include <string>
#include <vector>

#include "platform/codec/block_converter.h"
#include "platform/codec/wave_format.h"

namespace sonvara {

class Codec {
  public:
    virtual ~Codec() = default;

    // The name the format chooser shows ("IMA ADPCM", "CCITT u-Law", ...).
    virtual std::string Name() const = 0;
    // A converter from `coded` to 16-bit PCM, or null when this codec cannot read the format.
    virtual std::unique_ptr<BlockConverter> MakeDecoder(const WaveFormat& coded) const = 0;
    // A converter from 16-bit PCM to `coded`, or null when this codec cannot write the format.
    virtual std::unique_ptr<BlockConverter> MakeEncoder(const WaveFormat& coded) const = 0;
    // The formats this codec writes, as the chooser lists them; empty for a codec that only reads.
    virtual std::vector<WaveFormat> OfferedFormats() const = 0;
};

// The sample rates the chooser offers for the codecs that accept any rate.
inline constexpr std::uint32_t kOfferedRates[] = {8000, 11025, 16000, 22050, 32000, 44100, 48000};

}  // namespace sonvara
