#pragma once
// Writers of headerless sample data in each coding of formats/raw_samples.h: headerless files and
// the data of AU and AIFF files after their headers.

#include <cstdint>
#include <string>

#include "audio/wav/pcm_file_sink.h"
#include "formats/raw_samples.h"

namespace sonvara {

// Headerless data is written by the same writer as a WAV file's PCM data, which starts a new
// file here: the header callback (null for a headerless file) gives the AU or AIFF header.
using LRawFileDataSoundSinkBase = LSNKPCMFileBase;

// A writer of one sample coding (formats/raw_samples.h).
template <typename Coding>
class LRawFileDataSoundSink final : public LRawFileDataSoundSinkBase {
  public:
    LRawFileDataSoundSink(const std::string& path, std::int32_t sample_rate, int channels,
                          SampleHeaderCallback header = nullptr)
        : LRawFileDataSoundSinkBase(path, sample_rate, channels, Coding::kBytes, header) {}

  protected:
    void Convert(const Sample* samples, std::uint8_t* bytes, std::size_t count) const override {
        for (std::size_t i = 0; i < count; ++i) {
            Coding::Encode(samples[i], bytes + i * Coding::kBytes);
        }
    }
};

}  // namespace sonvara
