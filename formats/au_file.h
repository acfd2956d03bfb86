#pragma once
// LAuFile: Sun AU files (".snd" header, big-endian fields) as sound sources and sinks.
//
// The 24-byte header: magic ".snd", data offset, data size (0xFFFFFFFF: to the end of the file),
// encoding, sample rate, channels. The reader takes µ-law (1), 8-bit linear (2), 16-bit linear
// (3) and A-law (27), and skips whatever annotation lies between the header and the data
// offset. The writer writes 16-bit linear, with a data size of 0xFFFFFFFF until it ends.

#include <cstdint>
#include <string>

#include "audio/sound_sink.h"
#include "audio/sound_source.h"
#include "formats/raw_file_sink.h"

namespace sonvara {

class LAuFile {
  public:
    static constexpr std::int64_t kHeaderBytes = 24;
    static constexpr std::uint32_t kUlaw = 1;
    static constexpr std::uint32_t kLinear8 = 2;
    static constexpr std::uint32_t kLinear16 = 3;
    static constexpr std::uint32_t kAlaw = 27;

    // The empty source (in error) when the file cannot be opened or is not an AU file we read:
    // too short, a wrong magic, a data offset inside the header, another encoding, a rate
    // outside 1..2^31-1 or a channel count outside 1..255.
    static LSoundSourceRef OpenSource(const std::string& path);

    // A 16-bit writer; in error when the file cannot be created.
    static LSoundSinkRef OpenSink(const std::string& path, std::int32_t sample_rate, int channels);

    // The header callback of the writer (see SampleHeaderCallback).
    static std::int64_t WriteHeader(LFile& file, const SampleHeaderInfo& info, bool final);
};

}  // namespace sonvara
