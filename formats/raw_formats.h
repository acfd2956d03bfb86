#pragma once
// Headerless sample files (".raw") and VOX files (".vox"): the encodings the raw-format dialog
// offers, and the readers and writers the load and save dispatch opens for them.

#include <cstdint>
#include <string>

#include "audio/sound_sink.h"
#include "audio/sound_source.h"

namespace sonvara {

// The encodings of headerless files, in the order of the raw-format dialog's list.
enum class RawEncoding {
    kDialogicAdpcm = 0,
    kUlaw = 1,
    kAlaw = 2,
    kPcm16LE = 3,
    kPcm8Unsigned = 4,
    kPcm8Signed = 5,
    kPcm16BE = 6
};
inline constexpr int kRawEncodingCount = 7;

// "Dialogic ADPCM", "G711 uLaw", "G711 aLaw", "16 bit PCM (LE)", "8 bit unsigned", "8 bit signed",
// "16 bit PCM (BE)"
const char* RawEncodingName(RawEncoding encoding);

// A reader of a .raw/.vox file in `encoding` (kDialogicAdpcm: a VOX reader, mono, `rate`); an
// error source when the file cannot be opened.
LSoundSourceRef OpenRawSource(const std::string& path, RawEncoding encoding, std::int32_t rate,
                              int channels);

// A writer; kDialogicAdpcm gives the VOX writer (mono; `channels` ignored). A sink in error when
// the file cannot be created.
LSoundSinkRef OpenRawSink(const std::string& path, RawEncoding encoding, std::int32_t rate,
                          int channels);

}  // namespace sonvara
