#pragma once
// Files read and written through libsndfile: FLAC, Ogg Vorbis, Opus, CAF, Wave64 and RF64, and
// the AIFF and WAV codings our own readers do not take (AIFF of 24 and 32 bits or floating
// point, AIFF-C with µ-law, A-law, IMA ADPCM or GSM, big-endian "RIFX" WAV).
//
// Samples arrive as 32-bit integers (as floating point for floating-point and lossy codings) and
// become internal samples (16-bit PCM × 16) by one scale and a rounding: a 16-bit file reads
// exactly as our own readers read it, a wider one keeps the internal samples' 20 bits. Writing
// takes the internal samples back: 16-bit codings rounded to their step, wider codings exactly (an
// unedited 24-bit stretch comes back within the 20 bits it was read at), floating-point and lossy
// codings from the same scale.

#include <cstdint>
#include <optional>
#include <string>

#include "audio/sound_sink.h"
#include "audio/sound_source.h"

namespace sonvara {

// The container and coding libsndfile finds in `path` (by its bytes, not its name); an error
// source when it finds none it reads. More than two channels open, so that the caller can say so.
LSoundSourceRef OpenSndfileSource(const std::string& path);

// Why libsndfile does not read `path`, in words for the user ("AIFF-C con compresión 'DWVW' no se
// puede leer"); nothing when it does.
std::optional<std::string> SndfileReadProblem(const std::string& path);

// libsndfile's format number (container | coding) of `path`; nothing when it does not read it.
std::optional<int> SndfileFormatOf(const std::string& path);

// What `path` holds as libsndfile reads it: container and coding ("FLAC, PCM de 24 bits");
// nothing when libsndfile does not read it.
std::optional<std::string> SndfileCodingOf(const std::string& path);

// How a written file is coded: libsndfile's format number (container | coding) and, for the
// compressed codings, the compression level from 0 (fastest or best quality) to 1 (smallest), or
// nothing for the library's default.
struct SndfileTarget {
    int format;
    std::optional<double> compression;
};

// The rate a file of `target` is written at: `rate`, or for a coding that takes only some rates
// (Opus: 8, 12, 16, 24 and 48 kHz) the one it converts to.
std::int32_t SndfileWrittenRate(const SndfileTarget& target, std::int32_t rate);

// A writer of `target`; in error (ErrorText says why) when the file cannot be created or the
// coding does not take the rate or channels.
LSoundSinkRef OpenSndfileSink(const std::string& path, std::int32_t rate, int channels,
                              const SndfileTarget& target);

}  // namespace sonvara
