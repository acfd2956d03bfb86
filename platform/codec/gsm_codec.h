#pragma once
// GSM 6.10 in WAV files (format tag 49): mono, two 260-bit frames packed least significant bit
// first into each 65-byte block (320 samples), the form every WAV reader and writer uses; the
// two extra bytes of the format hold the 320. The standard's own pre- and postprocessing
// surround the codec, so files decode as in any other GSM 06.10 decoder.

#include <memory>

#include "platform/codec/codec.h"

namespace sonvara {

std::unique_ptr<Codec> MakeGsmCodec();

// The format the chooser offers at `rate`: 65-byte blocks of 320 samples.
WaveFormat GsmWaveFormat(std::uint32_t rate);

}  // namespace sonvara
