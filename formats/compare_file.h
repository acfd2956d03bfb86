#pragma once
// Whether a file still holds the audio a document holds: a project brings back each file's audio
// as it was when the project was saved, and the file on disk may hold other audio since (or
// none). Read as a load reads it and compared sample for sample, behind the progress view.

#include <string>

#include "core/progress_dialog.h"
#include "document/cut_list_audio.h"

namespace sonvara {

class LSVCompareWithFile : public LProgressDialog {
  public:
    LSVCompareWithFile(std::string path, const LCutListAudio& audio)
        : LProgressDialog("Sonvara"), path_(std::move(path)), audio_(audio) {}

    // After PROCESS_DONE: whether the file reads as exactly the audio (same rate, channels,
    // length and samples). A file that is gone, unreadable or read only through a decoder counts
    // as different.
    bool Same() const { return same_; }

  protected:
    ProcessResult Body() override;

  private:
    std::string path_;
    const LCutListAudio& audio_;
    bool same_ = false;
};

}  // namespace sonvara
