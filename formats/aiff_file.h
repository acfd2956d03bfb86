#pragma once
// LAifFile: AIFF files ("FORM" … "AIFF" with "COMM" and "SSND" chunks, big-endian) as sound
// sources and sinks. AIFC is not read.
//
// The reader walks the chunks after the 12-byte form header, skipping every other chunk (with
// its pad byte after an odd size), until it has the first "COMM" and the first "SSND", in either
// order. Samples of 1 to 8 bits are read as signed bytes, 9 to 16 bits as 16-bit big-endian
// words; wider samples are refused. The writer writes 16-bit samples after a 54-byte header
// whose sizes are final once the writer ends (the "SSND" size holds 0xFFFFFFFF until then, which
// the reader takes as "to the end of the file").

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "audio/sound_sink.h"
#include "audio/sound_source.h"
#include "formats/raw_file_sink.h"

namespace sonvara {

class LAifFile {
  public:
    static constexpr std::int64_t kHeaderBytes = 54;

    // The empty source (in error) when the file cannot be opened or read as AIFF.
    static LSoundSourceRef OpenSource(const std::string& path);

    // A 16-bit writer with WriteHeaderAIFF; in error when the file cannot be created.
    static LSoundSinkRef OpenSink(const std::string& path, std::int32_t sample_rate, int channels);
};

// The header callback of the AIFF writer (see SampleHeaderCallback).
std::int64_t WriteHeaderAIFF(LFile& file, const SampleHeaderInfo& info, bool final);

// A sample rate as the 80-bit extended number of the "COMM" chunk: 44100 is
// 40 0E AC 44 00 00 00 00 00 00.
std::array<std::uint8_t, 10> AiffRateBytes(std::int32_t rate);
// The rate in the 80-bit number, rounded to the nearest whole number (a half rounds up);
// nothing for rates below 1 or above 2^31 - 1, negative numbers included.
std::optional<std::int32_t> AiffRateFromBytes(const std::uint8_t* bytes);

}  // namespace sonvara
