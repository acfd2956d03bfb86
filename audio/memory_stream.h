#pragma once
// A source over samples held in memory and a sink that collects samples in memory: the ends of
// short chains (generated signals, previews) and of tests.

#include <cstdint>
#include <vector>

#include "audio/sound_sink.h"
#include "audio/sound_source.h"

namespace sonvara {

// Positions may lie outside the samples, before 0 as well as past the end; such frames read as
// silence, as a filter that looks back before the start expects.
class LMemorySoundSource : public LSoundSourceBase {
  public:
    LMemorySoundSource(std::vector<Sample> samples, std::int32_t sample_rate, int channels,
                       Sample max_sample = FULL_SCALE);

    void Read(Sample* buffer, std::int32_t frames) override;
    std::int32_t GetPosition() const override { return position_; }
    std::int32_t GetLength() const override { return length_; }
    void Seek(std::int32_t frame) override { position_ = frame; }

  private:
    std::vector<Sample> samples_;
    std::int32_t length_;
    std::int32_t position_ = 0;
};

class LMemorySoundSink : public LSoundSinkBase {
  public:
    LMemorySoundSink(std::int32_t sample_rate, int channels);

    void Write(const Sample* buffer, std::int32_t frames) override;
    void Truncate(std::int32_t frames) override;

    const std::vector<Sample>& Samples() const { return samples_; }

  private:
    std::vector<Sample> samples_;
};

}  // namespace sonvara
