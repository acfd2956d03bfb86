#pragma once
// The compression settings of FLAC, Ogg Vorbis and Opus files ("FlacEncoder", "VorbisEncoder",
// "OpusEncoder" in the settings, kept as the MP3 settings are), and what libsndfile is told.

#include <optional>

#include "formats/format_prompts.h"

namespace sonvara {

// Each value brought into its range.
CompressionSettings ValidCompressionSettings(CompressionSettings settings);
CompressionSettings ReadCompressionSettings();
void WriteCompressionSettings(const CompressionSettings& settings);

// The compressed format that libsndfile's `sndfile_format` codes, if it is one.
std::optional<CompressedFormat> CompressedFormatOf(int sndfile_format);

// libsndfile's compression level (0 to 1) for `format` at `settings`, for a file of `channels`
// channels (an Opus bit rate is shared by the channels).
double SndfileCompressionLevel(CompressedFormat format, const CompressionSettings& settings,
                               int channels);

}  // namespace sonvara
