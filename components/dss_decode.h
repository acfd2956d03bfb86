#pragma once
// LDSSDecode: DSS dictation files through the DSS decoder library (dss_entry_points.h, component
// "dsskx"). The process writes the 16-bit mono WAV itself from the library's blocks: 8000 Hz for
// quality 2 files, 11025 Hz for the others. The library is unloaded when the decode ends.
//
// Results: PROCESS_DONE, PROCESS_STOPPED after a cancel (the WAV is not read), PROCESS_FAILED when
// the library is missing (with its message) or incomplete, the file is not a DSS file or cannot
// be decoded (with a message), or the WAV cannot be written.

#include <string>

#include "core/progress_dialog.h"

namespace sonvara {

class LDSSDecode : public LProgressDialog {
  public:
    LDSSDecode(std::string input, std::string output);

  protected:
    ProcessResult Body() override;

  private:
    std::string input_;
    std::string output_;
};

}  // namespace sonvara
