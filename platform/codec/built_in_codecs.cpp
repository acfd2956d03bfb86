#include "platform/codec/adpcm_codecs.h"
#include "platform/codec/codec_manager.h"
#include "platform/codec/gsm_codec.h"
#include "platform/codec/mp3_codec.h"
#include "platform/codec/pcm_codecs.h"

namespace sonvara {

void RegisterBuiltInCodecs(CodecManager& manager) {
    manager.Register(MakePcmCodec());
    manager.Register(MakeFloatCodec());
    manager.Register(MakeExtensibleCodec());
    manager.Register(MakeAlawCodec());
    manager.Register(MakeUlawCodec());
    manager.Register(MakeImaAdpcmCodec());
    manager.Register(MakeMsAdpcmCodec());
    manager.Register(MakeGsmCodec());
    manager.Register(MakeMp3Codec());
}

}  // namespace sonvara
