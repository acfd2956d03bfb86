#pragma once
// The uncompressed formats: integer PCM of 8, 16, 24 and 32 bits (tag 1), IEEE float (tag 3) and
// WAVE_FORMAT_EXTENSIBLE files whose sub-format is one of them (read only), plus G.711 A-law
// (tag 6) and u-law (tag 7), whose blocks are also single frames.

#include <memory>

#include "platform/codec/codec.h"

namespace sonvara {

std::unique_ptr<Codec> MakePcmCodec();
std::unique_ptr<Codec> MakeFloatCodec();
std::unique_ptr<Codec> MakeExtensibleCodec();
std::unique_ptr<Codec> MakeAlawCodec();
std::unique_ptr<Codec> MakeUlawCodec();

}  // namespace sonvara
