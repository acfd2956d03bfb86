#pragma once
// LReadAudioDecode: RealAudio (".ra", ".ram", ".rm") through the RealAudio engine library
// (real_audio_engine.h, component "realaudio"). The engine plays the file into an RMAAudioSink,
// which writes the WAV file. The library, once loaded, stays loaded for the rest of the run.
//
// Results: PROCESS_DONE when the WAV holds the clip, PROCESS_STOPPED after a cancel (the WAV is
// then incomplete and is not read), PROCESS_FAILED with a message when the engine is missing, the
// file cannot be opened, or the audio cannot be written. A cancel also stops the engine in the
// middle of opening or reading the clip.

#include <chrono>
#include <string>

#include "core/progress_dialog.h"

namespace sonvara {

class LReadAudioDecode : public LProgressDialog {
  public:
    LReadAudioDecode(std::string input, std::string output);

  protected:
    ProcessResult Body() override;

  private:
    // The engine's interrupt check: CheckCancel, at most once every few milliseconds, since the
    // engine asks before each read of the file; the answer holds until the next look.
    static bool EngineInterrupt(void* process);

    std::string input_;
    std::string output_;
    std::chrono::steady_clock::time_point last_check_{};
    bool interrupted_ = false;
};

}  // namespace sonvara
