#pragma once
// LWMADecode: Windows Media Audio through the "wmakx" component, a program that is given the
// input file and the WAV file to write (sonvara-wmakx IN OUT) and ends with status 0 when it
// wrote it. The process waits for it with a progress that creeps towards the end; a cancel kills
// the decoder and waits for it, so nobody reads a half-written file.
//
// Results: PROCESS_DONE when the decoder wrote the WAV, PROCESS_STOPPED after a cancel,
// PROCESS_FAILED when the component is missing (with its message) or the decoder failed.

#include <string>

#include "core/progress_dialog.h"

namespace sonvara {

class LWMADecode : public LProgressDialog {
  public:
    LWMADecode(std::string input, std::string output);

  protected:
    ProcessResult Body() override;

  private:
    std::string input_;
    std::string output_;
};

}  // namespace sonvara
