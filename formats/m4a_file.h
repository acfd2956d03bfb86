#pragma once
// M4A files written: AAC through FFmpeg's encoder (components/ffmpeg/aac_file_encoder.h) behind
// the sink contract. Reading goes through FFmpeg's decoder (ffmpeg_decode.h).

#include <string>

#include "audio/sound_sink.h"

namespace sonvara {

// A sink writing `path` as an MPEG-4 audio file in the container `target`'s extension names
// (".mp4", else M4A) at `kbps` kbit/s. `rate` must be one AAC takes (AacRateFor); a sink in
// error, with its reason, otherwise or when the file cannot be made.
LSoundSinkRef OpenM4aSink(const std::string& path, const std::string& target, std::int32_t rate,
                          int channels, int kbps);

}  // namespace sonvara
