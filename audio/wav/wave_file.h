#pragma once
// LWaveFile: opens WAV files as sound sources and sinks.
//
// OpenSource walks the RIFF structure: other top-level chunks before "RIFF"/"WAVE" are skipped,
// and inside the form every chunk other than "fmt " and then "data" is skipped (with its pad
// byte). 8- and 16-bit PCM is read directly; everything else goes through the codec manager.
// Every size read from the file is checked before it is used; a file that is not a usable WAV
// gives the empty source (LNullSoundSource, in error).

#include <cstdint>
#include <string>

#include "audio/sound_sink.h"
#include "audio/sound_source.h"
#include "platform/codec/wave_format.h"

namespace sonvara {

class LWaveFile {
  public:
    // The largest "fmt " chunk accepted; larger ones are not WAV format blocks.
    static constexpr std::uint32_t kMaxFormatBytes = 8192;
    static constexpr std::uint32_t kMaxSampleRate = 196000;

    static LSoundSourceRef OpenSource(const std::string& path);

    // A PCM writer: 1 to 8 bits give 8-bit samples, 9 to 16 bits 16-bit samples; any other
    // width gives an empty reference. `keep_frames` > 0 continues a file this writer made after
    // its first `keep_frames` frames.
    static LSoundSinkRef OpenSinkPCM(const std::string& path, std::int32_t sample_rate,
                                     std::int32_t keep_frames, int bits_per_sample, int channels);

    // A writer for `format`: 8- and 16-bit PCM as OpenSinkPCM makes it, every other format
    // (wider PCM included) through the codec manager.
    static LSoundSinkRef OpenSink(const std::string& path, const WaveFormat& format);
};

}  // namespace sonvara
