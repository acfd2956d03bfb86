#pragma once
// Every file format Sonvara knows, each declared once: its name in the file dialogs, its
// extensions, its MIME types, how it is read and whether it is written, and the options page's
// check box that makes the editor its opener. The load and save dispatch, the file dialogs'
// filters, the desktop registration, the batch converter's output formats and sonvara-batch all
// read this table; adding a format is one row.
//
// Extensions are compared without regard to case; a name without a dot has none.

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "audio/sound_source.h"

namespace sonvara {

struct RawFileFormat;

// The reader and writer families the dispatch chooses between. ".vox" and ".raw" are both kRaw:
// the raw-file settings say which encoding they hold. kSndfile formats are read and written
// through libsndfile (sndfile_file.h).
enum class FileKind {
    kUnknown,
    kWave,
    kAiff,
    kAu,
    kRaw,
    kGsm,
    kMp3,
    kDecodedByComponent,
    kSndfile,
    kMpeg4Audio,  // read by FFmpeg's decoder like kDecodedByComponent, written by its AAC encoder
};

// The formats read through a decoder that writes a WAV file first: a separately installed
// component (WMA, DSS, RealAudio), or FFmpeg's libraries in this process (ffmpeg_decode.h).
enum class ExternalDecoder { kNone, kWma, kDss, kRealAudio, kFfmpeg };

// Where a format keeps its descriptive tags (tag_file.h): ID3v2 (MP3), the RIFF INFO list (WAV),
// an ID3v2 chunk (AIFF), Vorbis comments (FLAC, Ogg Vorbis, Opus), MP4 items; kNone: none that
// Sonvara reads or writes.
enum class TagFormat { kNone, kId3v2, kRiffInfo, kAiff, kFlac, kOggVorbis, kOggOpus, kMp4 };

struct FileFormat {
    FileKind kind;
    const char* name;  // in the file dialogs' filters
    // Lower case, without the dot; the first is the one a converted file gets. Unused ones null.
    std::array<const char*, 3> extensions;
    // The desktop's names for it, which the editor's desktop entry lists. Unused ones null.
    std::array<const char*, 3> mime_types;
    // Opens a reader of `path` (an error source when the file cannot be used); `raw` is the
    // headerless-file settings. Null when a decoder component reads the format.
    LSoundSourceRef (*open)(const std::string& path, const RawFileFormat& raw);
    ExternalDecoder decoder;
    bool writes;
    TagFormat tags;
    // For kSndfile: libsndfile's format number (container | coding) a file is written with.
    int sndfile_format;
    // The options page's check box that registers the editor as the format's opener: its setting
    // in [Settings] and its label. Null when the format has none.
    const char* registration_setting;
    const char* registration_label;
};

// Every format, in the order of the options page's check boxes and the file dialogs' filters. The
// written ones, in this order, are the batch converter's output list, whose index the settings
// keep: a new format goes at the end.
std::span<const FileFormat> FileFormats();

// The row of `path`'s extension; null when no format has it.
const FileFormat* FileFormatOf(std::string_view path);

// The row's kind, kUnknown for an unknown extension.
FileKind FileKindOf(std::string_view path);
ExternalDecoder ExternalDecoderOf(std::string_view path);

// Whether some format reads `path` (by itself or through a decoder component), or writes it.
bool IsReadableFile(std::string_view path);
bool IsWritableFile(std::string_view path);

// The extensions written, with their dot (".wav", ".mp3", ...), in the table's order: the batch
// converter's output formats.
std::span<const std::string> WrittenExtensions();

}  // namespace sonvara
