#pragma once
// The sample width a WAV, AIFF or libsndfile file is written with. A plain save keeps the width
// of the file it replaces (or of the file it was converted from), so that a 24-bit recording
// saved after an edit stays 24-bit; `--bits` on the command line chooses one.
//
// The editor works on 20-bit samples (audio/sample_format.h): a 24 or 32-bit file keeps its top 20
// bits through an edit, and a stretch left unedited comes back as it was read, at that precision.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "formats/format_table.h"

namespace sonvara {

enum class SampleBits { k16, k24, k32, kFloat };

// "16", "24", "32" or "float"; nothing for any other text.
std::optional<SampleBits> ParseSampleBits(std::string_view text);

// The width of `path`'s samples when they are plain 16, 24 or 32-bit integers or 32-bit floating
// point (64-bit floating point counts as 32); nothing for other codings (8-bit, µ-law, ADPCM,
// lossy ones) and for files libsndfile does not read.
std::optional<SampleBits> SampleBitsOf(const std::string& path);

// libsndfile's format number for `bits` in `format`'s container: WAV, AIFF, FLAC (16 and 24 bits),
// CAF, Wave64 and RF64. Nothing when the container does not hold that width or is not one of
// these (16-bit WAV and AIFF keep our own writers: callers ask only for the other widths there).
std::optional<int> SndfileFormatFor(const FileFormat& format, SampleBits bits);

// A WAV file holds 32-bit sizes: `frames` of `channels` channels at libsndfile's `sndfile_format`
// (0: our own 16-bit writer) that would pass them are written as RF64 (WAV with 64-bit sizes, which
// FFmpeg, sox and libsndfile read) at the same width; the format to write them with, or
// `sndfile_format` as it was when they fit.
int WaveFormatForLength(int sndfile_format, std::int64_t frames, int channels);

}  // namespace sonvara
