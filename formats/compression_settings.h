#pragma once
// The compression settings of FLAC, Ogg Vorbis, Opus and AAC (M4A) files, kept in the settings as
// the MP3 settings are: one value a format, declared once with its range, its place in the
// settings, its sonvara-batch option and its options dialog's texts. And what libsndfile is told.

#include <optional>
#include <span>

#include "formats/format_prompts.h"
#include "formats/format_table.h"

namespace sonvara {

struct CompressionField {
    CompressedFormat format;
    int CompressionSettings::*value;
    int low;
    int high;
    const char* section;  // where the settings keep it
    const char* key;
    const char* option;  // sonvara-batch's option
    const char* title;   // the options dialog's title and the value's label
    const char* label;
};

std::span<const CompressionField> CompressionFields();
const CompressionField& CompressionFieldOf(CompressedFormat format);

// Each value brought into its range.
CompressionSettings ValidCompressionSettings(CompressionSettings settings);
CompressionSettings ReadCompressionSettings();
void WriteCompressionSettings(const CompressionSettings& settings);

// The compressed format that libsndfile's `sndfile_format` codes, if it is one.
std::optional<CompressedFormat> CompressedFormatOf(int sndfile_format);
// The compressed format a file format's row writes, if it writes one.
std::optional<CompressedFormat> CompressedFormatOf(const FileFormat& format);

// libsndfile's compression level (0 to 1) for `format` at `settings`, for a file of `channels`
// channels (an Opus bit rate is shared by the channels). Not for kAac, which FFmpeg writes.
double SndfileCompressionLevel(CompressedFormat format, const CompressionSettings& settings,
                               int channels);

}  // namespace sonvara
