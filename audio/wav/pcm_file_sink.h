#pragma once
// The writers of 8-bit and 16-bit PCM WAV files. The header is 46 bytes (an 18-byte format
// block); its sizes are provisional until Finish() writes the final ones.

#include <cstdint>
#include <string>
#include <vector>

#include "audio/sound_sink.h"
#include "core/file.h"

namespace sonvara {

class LSNKPCMFileBase : public LSoundSinkBase {
  public:
    static constexpr std::int64_t kHeaderBytes = 46;

    // `keep_frames` > 0 continues an existing file after its first `keep_frames` frames (a file
    // shorter than that is extended with silence); 0 starts an empty file.
    LSNKPCMFileBase(const std::string& path, std::int32_t sample_rate, std::int32_t keep_frames,
                    int bytes_per_sample, int channels);

    void Write(const Sample* buffer, std::int32_t frames) override;
    // Ignored beyond the frames written; a negative count means 0.
    void Truncate(std::int32_t frames) override;
    // Writes the header with the final sizes.
    bool Finish() override;

  protected:
    virtual void Convert(const Sample* samples, std::uint8_t* bytes, std::size_t count) const = 0;

  private:
    static constexpr std::int32_t kBufferFrames = 8192;

    std::vector<std::uint8_t> Header(std::uint64_t data_bytes) const;

    LFile file_;
    int bytes_per_sample_;
    int bytes_per_frame_;
    std::vector<std::uint8_t> bytes_;
};

// Unsigned 8-bit samples, rounded; a peak above the top 8-bit step stays at the top (255)
// instead of wrapping round to the bottom.
class LSNKPCM8File : public LSNKPCMFileBase {
  public:
    LSNKPCM8File(const std::string& path, std::int32_t sample_rate, std::int32_t keep_frames,
                 int channels)
        : LSNKPCMFileBase(path, sample_rate, keep_frames, 1, channels) {}

  protected:
    void Convert(const Sample* samples, std::uint8_t* bytes, std::size_t count) const override;
};

// Signed 16-bit little-endian samples, rounded: (s + 8) >> 4.
class LSNKPCM16File : public LSNKPCMFileBase {
  public:
    LSNKPCM16File(const std::string& path, std::int32_t sample_rate, std::int32_t keep_frames,
                  int channels)
        : LSNKPCMFileBase(path, sample_rate, keep_frames, 2, channels) {}

  protected:
    void Convert(const Sample* samples, std::uint8_t* bytes, std::size_t count) const override;
};

}  // namespace sonvara
