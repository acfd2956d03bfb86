#pragma once
// LSNKACMFile: the writer of WAV files in any format the codec manager can encode. Samples are
// rounded to 16-bit PCM, gathered into whole codec blocks and encoded; Finish() encodes the
// samples of a last, unfinished block (padded with silence) and gives the header its final sizes.
// No "fact" chunk is written.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/sound_sink.h"
#include "core/file.h"
#include "platform/codec/codec_manager.h"
#include "platform/codec/wave_format.h"

namespace sonvara {

class LSNKACMFile : public LSoundSinkBase {
  public:
    // Creates `path` (replacing any file there). A format no codec can write leaves the sink in
    // error: it ignores writes, and the file holds no usable audio.
    LSNKACMFile(const std::string& path, const WaveFormat& format);

    void Write(const Sample* buffer, std::int32_t frames) override;
    bool Finish() override;

  private:
    // Encodes what the PCM buffer holds (with `flags`) and appends it to the file; returns the
    // PCM bytes consumed, or nothing when the codec failed.
    std::optional<std::size_t> EncodeBuffered(unsigned flags);
    void WriteHeader(std::uint64_t coded_bytes);

    LFile file_;
    WaveFormat format_;
    std::unique_ptr<CodecStream> stream_;
    std::vector<std::uint8_t> pcm_;
    std::size_t pcm_fill_ = 0;
    std::vector<std::uint8_t> coded_;
    std::uint64_t coded_written_ = 0;
};

}  // namespace sonvara
