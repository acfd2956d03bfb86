#pragma once

#include <vector>

#include "audio/sound_source.h"

namespace sonvara {

// LSPConvChannels: mono to stereo writes each sample to both channels; stereo to mono keeps the
// left channel. Position, length and seek are the upstream's.
class LSPConvChannels : public LSoundSourceBase {
  public:
    LSPConvChannels(LSoundSourceRef upstream, int channels);

    void Read(Sample* buffer, std::int32_t frames) override;
    std::int32_t GetPosition() const override { return upstream_->GetPosition(); }
    std::int32_t GetLength() const override { return upstream_->GetLength(); }
    void Seek(std::int32_t frame) override { upstream_->Seek(frame); }

  private:
    LSoundSourceRef upstream_;
    std::vector<Sample> work_;  // one block of the upstream's frames
};

}  // namespace sonvara
