#pragma once
// The readers of 8-bit and 16-bit PCM data in a WAV file.
//
// The reader owns the file, which stands at the first data byte when the reader is made. Frames
// before 0 and after the end read as zeros; the length never exceeds what the file holds, however
// large the header says the data is.

#include <cstdint>
#include <vector>

#include "audio/sound_source.h"
#include "core/file.h"

namespace sonvara {

class LSRCPCMFileBase : public LSoundSourceBase {
  public:
    // `data_bytes` is the data chunk's size; 0xFFFFFFFF means "to the end of the file".
    LSRCPCMFileBase(LFile file, std::int32_t sample_rate, int channels, int bytes_per_sample,
                    std::uint32_t data_bytes);

    void Read(Sample* buffer, std::int32_t frames) override;
    std::int32_t GetPosition() const override { return position_; }
    std::int32_t GetLength() const override { return length_; }
    void Seek(std::int32_t frame) override;

  protected:
    // Converts `samples` samples of file data into internal samples.
    virtual void Convert(const std::uint8_t* bytes, Sample* out, std::size_t samples) const = 0;

  private:
    static constexpr std::int32_t kBufferFrames = 8192;

    LFile file_;
    std::int64_t data_start_;
    std::int32_t position_ = 0;
    std::int32_t length_ = 0;
    int bytes_per_frame_;
    int bytes_per_sample_;
    std::vector<std::uint8_t> bytes_;
};

// Unsigned 8-bit samples: (u - 128) * 4096.
class LSRCPCM8File : public LSRCPCMFileBase {
  public:
    LSRCPCM8File(LFile file, std::int32_t sample_rate, int channels, std::uint32_t data_bytes)
        : LSRCPCMFileBase(std::move(file), sample_rate, channels, 1, data_bytes) {}

  protected:
    void Convert(const std::uint8_t* bytes, Sample* out, std::size_t samples) const override;
};

// Signed 16-bit little-endian samples: v * 16.
class LSRCPCM16File : public LSRCPCMFileBase {
  public:
    LSRCPCM16File(LFile file, std::int32_t sample_rate, int channels, std::uint32_t data_bytes)
        : LSRCPCMFileBase(std::move(file), sample_rate, channels, 2, data_bytes) {}

  protected:
    void Convert(const std::uint8_t* bytes, Sample* out, std::size_t samples) const override;
};

}  // namespace sonvara
