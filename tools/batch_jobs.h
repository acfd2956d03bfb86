#pragma once
// `sonvara-batch run --jobs N`: the files of a run worked on N at a time, each by a run of its
// own (this program again, with the same options and that one file), so each has its own
// working sub-folder, its own output and its own exit status. The lines each run writes to
// stderr are shown together when it ends, with the file and its outcome. The first run that
// fails or is cancelled stops the others: they are cancelled (their partly written files are
// removed), and the files not started stay as they were. Ctrl+C, SIGTERM or SIGHUP cancels every
// running file the same way.

#include <string>
#include <vector>

namespace sonvara {

// The number of processors this program may run on (at least 1).
int AvailableProcessors();

// Runs `files` with at most `jobs` at a time, each as `program` `options`... "--jobs" "1" FILE.
// Returns the exit status: 0 when every file was done, else the status of the first that was not
// (1 cancelled, 2 failed).
int RunBatchJobs(const std::string& program, const std::vector<std::string>& options,
                 const std::vector<std::string>& files, int jobs);

}  // namespace sonvara
