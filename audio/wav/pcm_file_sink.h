#pragma once
// Writers of fixed-size sample frames after a header: 8- and 16-bit PCM WAV files, and (in
// formats/) headerless files and AU and AIFF files.
//
// A header callback writes the header at the start: once when the writer is made (its return
// value fixes where the data starts) and once more in Finish(), now with the sizes of what was
// written. Truncate is the backwards seek: it cuts the file after the frames kept, and later
// writes continue from there. A writer in error ignores what it is given; its owner discards the
// file.

#include <cstdint>
#include <string>
#include <vector>

#include "audio/sound_sink.h"
#include "core/file.h"

namespace sonvara {

// What a header says about the file being written.
struct SampleHeaderInfo {
    std::int32_t sample_rate;
    int channels;
    int bytes_per_sample;
    std::int64_t frames;  // written so far

    std::uint64_t DataBytes() const {
        return static_cast<std::uint64_t>(frames) * static_cast<std::uint64_t>(channels) *
               static_cast<std::uint64_t>(bytes_per_sample);
    }
};

// Writes a header at the file's current position (its start) and returns the header's size in
// bytes, or -1 when the header could not be written. `final` is false when the writer starts,
// true when it ends.
using SampleHeaderCallback = std::int64_t (*)(LFile& file, const SampleHeaderInfo& info,
                                              bool final);

class LSNKPCMFileBase : public LSoundSinkBase {
  public:
    // `header` may be null: a headerless file. `keep_frames` > 0 continues an existing file after
    // its first `keep_frames` frames (a file shorter than that is extended with silence); 0
    // starts an empty file.
    LSNKPCMFileBase(const std::string& path, std::int32_t sample_rate, int channels,
                    int bytes_per_sample, SampleHeaderCallback header,
                    std::int32_t keep_frames = 0);

    void Write(const Sample* buffer, std::int32_t frames) override;
    // Only backwards: `frames` (a negative count means 0) at most the frames written. A later
    // header carries the shorter count.
    void Truncate(std::int32_t frames) override;
    // Writes the header again with the final sizes (nothing to do for a headerless file).
    bool Finish() override;

  protected:
    virtual void Convert(const Sample* samples, std::uint8_t* bytes, std::size_t count) const = 0;

  private:
    static constexpr std::int32_t kBufferFrames = 8192;

    SampleHeaderInfo Info() const;

    LFile file_;
    SampleHeaderCallback header_;
    std::int64_t header_bytes_ = 0;
    int bytes_per_sample_;
    int frame_bytes_;
    std::vector<std::uint8_t> bytes_;
};

// The header of the PCM WAV writers: 46 bytes (an 18-byte format block), with provisional sizes
// until the final one.
std::int64_t WriteHeaderPCMWave(LFile& file, const SampleHeaderInfo& info, bool final);

// Unsigned 8-bit samples, rounded; a peak above the top 8-bit step stays at the top (255)
// instead of wrapping round to the bottom.
class LSNKPCM8File : public LSNKPCMFileBase {
  public:
    LSNKPCM8File(const std::string& path, std::int32_t sample_rate, std::int32_t keep_frames,
                 int channels)
        : LSNKPCMFileBase(path, sample_rate, channels, 1, &WriteHeaderPCMWave, keep_frames) {}

  protected:
    void Convert(const Sample* samples, std::uint8_t* bytes, std::size_t count) const override;
};

// Signed 16-bit little-endian samples, rounded: (s + 8) >> 4.
class LSNKPCM16File : public LSNKPCMFileBase {
  public:
    LSNKPCM16File(const std::string& path, std::int32_t sample_rate, std::int32_t keep_frames,
                  int channels)
        : LSNKPCMFileBase(path, sample_rate, channels, 2, &WriteHeaderPCMWave, keep_frames) {}

  protected:
    void Convert(const Sample* samples, std::uint8_t* bytes, std::size_t count) const override;
};

}  // namespace sonvara
