#pragma once
// MPEG audio Layer III in WAV files (format tag 0x55), for reading: the data chunk holds the
// frames one after another, each announcing its own length, so the decoder takes whole frames
// from whatever the buffer holds. Bytes that are not a frame of the format's rate and channels
// are skipped. Decoded samples are rounded to 16 bits and held to full scale.

#include <memory>

#include "platform/codec/codec.h"

namespace sonvara {

std::unique_ptr<Codec> MakeMp3Codec();

}  // namespace sonvara
