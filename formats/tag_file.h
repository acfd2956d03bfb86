#pragma once
// A sound file's descriptive tags (document/file_tags.h) read and written through TagLib, in the
// place the file's format keeps them (format_table.h's TagFormat): ID3v2 in MP3 and AIFF, the RIFF
// INFO list in WAV (an ID3v2 chunk is read when there is no INFO list), Vorbis comments in FLAC,
// Ogg Vorbis and Opus, MP4 items in M4A. Other formats hold none: they read as empty and take
// nothing. Files are untrusted: a damaged tag reads as empty, never as an error of the audio.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "document/file_tags.h"
#include "formats/format_table.h"

namespace sonvara {

// The tags of the file at `path`, in the place its extension's format keeps them; empty when it
// has none, the format holds none or the file cannot be read.
FileTags ReadFileTags(const std::string& path);

// The tags in `size` bytes of a file in `format` (the fuzz target's way in).
FileTags ReadTagsFromBytes(const std::uint8_t* data, std::size_t size, TagFormat format);

// Whether files named like `path` hold tags.
bool HoldsTags(std::string_view path);

// Writes `tags` into the complete file at `path`, in the place of the format `format_path`'s
// extension names (`path` may be a temporary file beside the target). Every field the file had is
// replaced. True when written, and when there is nothing to write or the format holds no tags;
// false when the file could not be rewritten (it may then be damaged: callers write into a
// temporary file).
bool WriteFileTags(const std::string& path, std::string_view format_path, const FileTags& tags);

}  // namespace sonvara
