#pragma once
// A file read through a separately installed decoder (ExternalDecoderOf in file_kind.h): the
// decoder's process writes a 16-bit PCM WAV file into the data folder ("Current"), named after
// the source file with a unique part added so that two loads never share one, and the WAV reader
// then reads that file. The WAV file is deleted with this object.

#include <string>

#include "core/progress_dialog.h"

namespace sonvara {

class DecodedFile {
  public:
    DecodedFile() = default;
    ~DecodedFile();
    DecodedFile(const DecodedFile&) = delete;
    DecodedFile& operator=(const DecodedFile&) = delete;

    // Runs the decoder for `path` as a step of `process`: PROCESS_DONE with WavePath() written,
    // PROCESS_STOPPED after a cancel, else PROCESS_FAILED (the decoder has shown its message).
    ProcessResult Decode(LProgressDialog& process, const std::string& path);
    const std::string& WavePath() const { return wave_path_; }

  private:
    std::string wave_path_;
};

}  // namespace sonvara
