#pragma once
// ".gsm" files: GSM 06.10 full-rate frames, 33 bytes for each 160 samples at 8000 Hz, mono, no
// header (the frame layout is in codecs/gsm/gsm_packing.h). The program's own pre- and
// post-filter surround the codec (codecs/gsm/gsm_frame.h): decoded samples are on the internal
// scale, not truncated and not clipped at full scale, so a loud frame may decode to as much as
// twice full scale and the source declares that peak.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "audio/file_sound_source.h"
#include "audio/sound_sink.h"
#include "codecs/gsm/gsm_frame.h"
#include "core/file.h"

namespace sonvara {

// The reader. Length: the whole frames the file holds, × 160; bytes after the last whole frame
// are ignored. Reads go on from where the last one ended with the decoder's state; a seek
// resets the decoder and decodes from the start of the frame that holds the new position, so
// the samples after a seek differ a little from the same samples read in sequence.
class LGSMFileSource final : public FileSoundSource {
  public:
    static constexpr Sample kPeak = LGSMFrame::kPeak;

    explicit LGSMFileSource(const std::string& path);

    std::int32_t GetLength() const override { return length_; }
    void Seek(std::int32_t frame) override;

  private:
    static constexpr std::int32_t kFramesPerRead = 64;

    std::int64_t ReadFrames(std::int64_t first, Sample* out, std::int64_t count) override;
    // Reads the next frame of the file into the store (silence when it is not there).
    void DecodeIntoStore();

    LFile file_;
    LGSMFrame codec_;
    std::int32_t length_ = 0;
    std::int64_t next_frame_ = 0;  // the file's frame the file pointer stands at
    std::array<Sample, gsm::kFrameSamples> store_{};
    int store_used_ = gsm::kFrameSamples;  // samples of the store already handed out
    std::vector<std::uint8_t> bytes_;
};

// The writer: 8000 Hz mono (the save chain converts to that before it). Samples gather into
// frames of 160; Finish() completes a part-filled last frame with silence and writes what is
// still buffered.
class LGSMFileSink final : public LSoundSinkBase {
  public:
    explicit LGSMFileSink(const std::string& path);
    LGSMFileSink(const LGSMFileSink&) = delete;
    LGSMFileSink& operator=(const LGSMFileSink&) = delete;

    void Write(const Sample* buffer, std::int32_t frames) override;
    // A coded file cannot be cut back; the call only reports that.
    void Truncate(std::int32_t frames) override;
    bool Finish() override;

  private:
    static constexpr std::size_t kFramesPerWrite = 64;

    void EncodeStore();
    void Flush();

    LFile file_;
    LGSMFrame codec_;
    std::array<Sample, gsm::kFrameSamples> store_{};
    int store_filled_ = 0;
    std::vector<std::uint8_t> bytes_;
};

}  // namespace sonvara
