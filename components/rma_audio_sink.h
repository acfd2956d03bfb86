#pragma once
// RMAAudioSink: the audio device the editor puts in place of the RealAudio player's sound card.
// It writes what the engine plays into a PCM WAV file: the header when the engine opens it with
// its format, each buffer as it comes, and the real sizes when Finish is called at the end.
// Whatever the engine sends is checked (format, whole frames, the 4 GiB limit of a WAV file);
// anything wrong puts the sink in error and later buffers are ignored.

#include <cstdint>
#include <string>

#include "components/real_audio_engine.h"
#include "core/file.h"

namespace sonvara {

class RMAAudioSink final : public IRMAAudioDevice {
  public:
    // Creates (or empties) `path`; IsError() when it cannot.
    explicit RMAAudioSink(const std::string& path);

    std::uint32_t AddRef() override;
    std::uint32_t Release() override;
    RMAResult Open(const RMAAudioFormat& format) override;
    RMAResult Write(const RMAAudioData& data) override;
    RMAResult Close() override;

    // Writes the sizes into the header and closes the file. True when a format came, the audio
    // was all written and the file is complete.
    bool Finish();
    bool IsError() const { return error_; }
    std::uint32_t DataBytes() const { return data_size_; }

  private:
    ~RMAAudioSink();
    bool WriteHeader();

    std::uint32_t references_ = 1;
    LFile file_;
    RMAAudioFormat format_{};
    bool opened_ = false;
    bool error_ = false;
    std::uint32_t data_size_ = 0;
};

}  // namespace sonvara
