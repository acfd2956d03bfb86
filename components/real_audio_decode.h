#pragma once
// LReadAudioDecode: RealAudio (".ra", ".ram", ".rm") through the RealAudio engine library
// (real_audio_engine.h, component "realaudio"). The engine plays the file into an RMAAudioSink,
// which writes the WAV file. The library, once loaded, stays loaded for the rest of the run.
//
// Results: PROCESS_DONE when the WAV holds the clip, PROCESS_STOPPED after a cancel (the WAV is
// then incomplete and is not read), PROCESS_FAILED with a message when the engine is missing, the
// file cannot be opened, or the audio cannot be written.

#include <string>

#include "core/progress_dialog.h"

namespace sonvara {

class LReadAudioDecode : public LProgressDialog {
  public:
    LReadAudioDecode(std::string input, std::string output);

  protected:
    ProcessResult Body() override;

  private:
    std::string input_;
    std::string output_;
};

}  // namespace sonvara
