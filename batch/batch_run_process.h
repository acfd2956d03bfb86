#pragma once
// LBatchRun: the editor's run of the batch converter. Each file goes through the converter on its
// own, so that the run can tell which file it is on and how many remain, and so that a failing
// file can be listed with its reason and, when the user wants it, the run goes on with the rest.
// By default a failure ends the run there, as it does on the command line: the files before it
// are saved and the ones after it are not touched. A cancel ends the run at once.
//
// The messages a failing file's steps would show (a file that cannot be read, a disk that is
// full) become the failure's reason instead of message boxes; questions still go to the user.

#include <cstddef>
#include <string>
#include <vector>

#include "batch/batch_command.h"
#include "batch/batch_converter.h"
#include "core/progress_dialog.h"

namespace sonvara {

struct BatchFileFailure {
    std::string file;
    std::string reason;
};

// What the run tells its window, and what it asks. Interface thread only.
class BatchRunObserver {
  public:
    virtual ~BatchRunObserver() = default;
    // File `index` of `count` (from 0) starts.
    virtual void FileStarted(std::size_t index, std::size_t count, const std::string& path) = 0;
    virtual void FileFailed(const BatchFileFailure& failure) = 0;
    // Asked after a failure: whether the run goes on with the next file.
    virtual bool GoOnAfterFailure() = 0;
};

class LBatchRun : public LProgressDialog {
  public:
    // `observer` may be null: then a failure ends the run.
    LBatchRun(std::vector<std::string> files, std::vector<LBatchCommandItem> items,
              BatchOutputSettings output, BatchRunObserver* observer);

    const std::vector<BatchFileFailure>& Failures() const { return failures_; }
    // The files saved, in order.
    const std::vector<std::string>& Outputs() const { return outputs_; }

  protected:
    // PROCESS_DONE when every file was saved, PROCESS_STOPPED on a cancel, else PROCESS_FAILED.
    ProcessResult Body() override;

  private:
    std::vector<std::string> files_;
    std::vector<LBatchCommandItem> items_;
    BatchOutputSettings output_;
    BatchRunObserver* observer_;
    std::vector<BatchFileFailure> failures_;
    std::vector<std::string> outputs_;
};

}  // namespace sonvara
