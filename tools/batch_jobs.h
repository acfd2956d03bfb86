#pragma once
// `sonvara-batch run --jobs N`: the files of a run worked on N at a time, each by a run of its
// own (this program again, with the same options and that one file), so each has its own
// working sub-folder, its own output and its own exit status. The lines each run writes to
// stderr are shown together when it ends, with the file and its outcome. The outcome is the one
// of working on one file at a time: each run, its output complete, waits for its turn (every file
// before it done) to put it in place; a run that fails or is cancelled cancels the runs of the
// files after it (their partly written files are removed, their targets stay as they were) while
// the files before it are finished, and the files not started stay as they were. Ctrl+C, SIGTERM
// or SIGHUP cancels every running file.

#include <string>
#include <vector>

namespace sonvara {

// The number of processors this program may run on (at least 1).
int AvailableProcessors();

// Runs `files` with at most `jobs` at a time, each as `program` `options`... "--jobs" "1" FILE.
// Returns the exit status: 0 when every file was done, else the status of the first file in the
// list that was not (1 cancelled, 2 failed).
int RunBatchJobs(const std::string& program, const std::vector<std::string>& options,
                 const std::vector<std::string>& files, int jobs);

}  // namespace sonvara
