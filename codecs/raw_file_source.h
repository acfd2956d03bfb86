#pragma once
// Readers of fixed-size sample frames stored one after the other from some point of a file on:
// headerless files, and the data of AU and AIFF files after their headers.
//
// The reader owns the file, which stands at the first data byte when the reader is made. Frames
// before 0 and after the end read as zeros, and so do frames the file fails to deliver. The
// length never exceeds what the file holds, however large a header says the data is; with
// kDataToEnd it follows the file's size as it is now, at every call.

#include <cstdint>
#include <vector>

#include "audio/sound_source.h"
#include "codecs/raw_samples.h"
#include "core/file.h"

namespace sonvara {

class LRawFileDataSoundSourceBase : public LSoundSourceBase {
  public:
    // The data size that means "from the data start to the end of the file".
    static constexpr std::uint32_t kDataToEnd = 0xFFFFFFFF;

    // A frame of 0 bytes (bytes_per_sample < 1) sets the error bit and becomes 2 bytes.
    LRawFileDataSoundSourceBase(LFile file, std::int32_t sample_rate, std::uint32_t data_bytes,
                                int bytes_per_sample, Sample declared_peak, int channels);

    void Read(Sample* buffer, std::int32_t frames) override;
    std::int32_t GetPosition() const override { return position_; }
    std::int32_t GetLength() const override;
    void Seek(std::int32_t frame) override;

  protected:
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
    std::int32_t position_ = 0;
    std::vector<std::uint8_t> bytes_;
};

// A reader of one sample coding (codecs/raw_samples.h), declaring the coding's peak.
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
