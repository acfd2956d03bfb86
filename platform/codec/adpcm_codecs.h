#pragma once
// The ADPCM formats of WAV files: IMA ADPCM (tag 0x11) and Microsoft ADPCM (tag 2), read and
// written in their usual block layouts, 4 bits a sample.

#include <memory>

#include "platform/codec/codec.h"

namespace sonvara {

std::unique_ptr<Codec> MakeImaAdpcmCodec();
std::unique_ptr<Codec> MakeMsAdpcmCodec();

}  // namespace sonvara
