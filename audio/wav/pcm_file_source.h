#pragma once
// Readers of fixed-size sample frames stored one after the other from some point of a file on:
// the PCM data of WAV files, and (in formats/) headerless files and the data of AU and AIFF files.
//
// The reader owns the file, which stands at the first data byte when the reader is made. Frames
// the file fails to deliver read as zeros, like those past the end. The length never exceeds what
// the file holds, however large a header says the data is; with kDataToEnd it follows the file's
// size as it is now, at every call (a file being recorded grows).

#include <cstdint>
#include <vector>

#include "audio/file_sound_source.h"
#include "core/file.h"

namespace sonvara {

class LSRCPCMFileBase : public FileSoundSource {
  public:
    // The data size that means "from the data start to the end of the file".
    static constexpr std::uint32_t kDataToEnd = 0xFFFFFFFF;

    // A frame of 0 bytes (bytes_per_sample < 1) sets the error bit and becomes 2 bytes.
    LSRCPCMFileBase(LFile file, std::int32_t sample_rate, std::uint32_t data_bytes,
                    int bytes_per_sample, Sample declared_peak, int channels);

    std::int32_t GetLength() const override;

  protected:
    // Every read places the file itself, so a seek needs only the position.
    std::int64_t ReadFrames(std::int64_t first, Sample* out, std::int64_t count) override;
    // Converts `samples` stored samples into internal samples.
    virtual void Decode(const std::uint8_t* bytes, Sample* out, std::size_t samples) const = 0;

  private:
    static constexpr std::int32_t kBufferFrames = 8192;

    LFile file_;
    std::int64_t data_start_;
    int bytes_per_sample_;
    int frame_bytes_;
    bool to_end_;
    std::int32_t length_ = 0;  // when the data size is known
    std::vector<std::uint8_t> bytes_;
};

// Unsigned 8-bit samples: (u - 128) * 4096.
class LSRCPCM8File : public LSRCPCMFileBase {
  public:
    LSRCPCM8File(LFile file, std::int32_t sample_rate, int channels, std::uint32_t data_bytes)
        : LSRCPCMFileBase(std::move(file), sample_rate, data_bytes, 1, FULL_SCALE, channels) {}

  protected:
    void Decode(const std::uint8_t* bytes, Sample* out, std::size_t samples) const override;
};

// Signed 16-bit little-endian samples: v * 16.
class LSRCPCM16File : public LSRCPCMFileBase {
  public:
    LSRCPCM16File(LFile file, std::int32_t sample_rate, int channels, std::uint32_t data_bytes)
        : LSRCPCMFileBase(std::move(file), sample_rate, data_bytes, 2, FULL_SCALE, channels) {}

  protected:
    void Decode(const std::uint8_t* bytes, Sample* out, std::size_t samples) const override;
};

}  // namespace sonvara
