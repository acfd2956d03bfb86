#pragma once
// Writers of fixed-size sample frames after a header: headerless files, AU and AIFF files.
//
// The writer creates its file anew. A header callback writes the header at the start: once when
// the writer is made (its return value fixes where the data starts) and once more in Finish(),
// now with the sizes of what was written. Truncate is the backwards seek:
// it cuts the file after the frames kept, and later writes continue from there.

#include <cstdint>
#include <string>
#include <vector>

#include "audio/sound_sink.h"
#include "core/file.h"
#include "formats/raw_samples.h"

namespace sonvara {

// What a header says about the file being written.
struct RawHeaderInfo {
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
using RawHeaderCallback = std::int64_t (*)(LFile& file, const RawHeaderInfo& info, bool final);

class LRawFileDataSoundSinkBase : public LSoundSinkBase {
  public:
    // `header` may be null: a headerless file.
    LRawFileDataSoundSinkBase(const std::string& path, std::int32_t sample_rate, int channels,
                              int bytes_per_sample, RawHeaderCallback header);

    void Write(const Sample* buffer, std::int32_t frames) override;
    // Only backwards: `frames` (a negative count means 0) at most the frames written. A later
    // header carries the shorter count.
    void Truncate(std::int32_t frames) override;
    // Writes the header again with the final sizes (nothing to do for a headerless file).
    bool Finish() override;

  protected:
    virtual void Encode(const Sample* samples, std::uint8_t* bytes, std::size_t count) const = 0;

  private:
    static constexpr std::int32_t kBufferFrames = 8192;

    RawHeaderInfo Info() const;

    LFile file_;
    RawHeaderCallback header_;
    std::int64_t header_bytes_ = 0;
    int bytes_per_sample_;
    int frame_bytes_;
    std::vector<std::uint8_t> bytes_;
};

// A writer of one sample coding (formats/raw_samples.h).
template <typename Coding>
class LRawFileDataSoundSink final : public LRawFileDataSoundSinkBase {
  public:
    LRawFileDataSoundSink(const std::string& path, std::int32_t sample_rate, int channels,
                          RawHeaderCallback header = nullptr)
        : LRawFileDataSoundSinkBase(path, sample_rate, channels, Coding::kBytes, header) {}

  protected:
    void Encode(const Sample* samples, std::uint8_t* bytes, std::size_t count) const override {
        for (std::size_t i = 0; i < count; ++i) {
            Coding::Encode(samples[i], bytes + i * Coding::kBytes);
        }
    }
};

}  // namespace sonvara
