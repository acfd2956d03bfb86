#pragma once
// Readers of headerless sample data in each coding of formats/raw_samples.h: headerless files and
// the data of AU and AIFF files after their headers.

#include <cstdint>
#include <vector>

#include "audio/sound_source.h"
#include "audio/wav/pcm_file_source.h"
#include "core/file.h"
#include "formats/raw_samples.h"

namespace sonvara {

// Headerless data is read by the same reader as a WAV file's PCM data.
using LRawFileDataSoundSourceBase = LSRCPCMFileBase;

// A reader of one sample coding (formats/raw_samples.h), declaring the coding's peak.
template <typename Coding>
class LRawFileDataSoundSource final : public LRawFileDataSoundSourceBase {
  public:
    LRawFileDataSoundSource(LFile file, std::int32_t sample_rate, std::uint32_t data_bytes,
                            int channels)
        : LRawFileDataSoundSourceBase(std::move(file), sample_rate, data_bytes, Coding::kBytes,
                                      Coding::kPeak, channels) {}

  protected:
    void Decode(const std::uint8_t* bytes, Sample* out, std::size_t samples) const override {
        for (std::size_t i = 0; i < samples; ++i) {
            out[i] = Coding::Decode(bytes + i * Coding::kBytes);
        }
    }
};

}  // namespace sonvara
