#pragma once
// Running another program (the separately installed codec components) from inside a process.
// Programs get an argument vector, never a command line for a shell. The child reads /dev/null,
// its output is discarded unless asked for, and it runs in a process group of its own, so that a
// Ctrl+C on the terminal reaches only us and we decide. A child that is cancelled or runs past
// its time-out is killed and reaped; none is left behind unless it is released.

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "core/progress_dialog.h"
#include "core/waitable.h"

namespace sonvara {

class ChildProcess : public Waitable {
  public:
    // Starts `program` (looked up on PATH when it has no "/") with `arguments` (argv[1..]).
    // Returns null and sets `error` when it cannot be started.
    static std::unique_ptr<ChildProcess> Spawn(const std::string& program,
                                               const std::vector<std::string>& arguments,
                                               bool keep_output, std::string* error);
    ~ChildProcess() override;  // kills and reaps a child still running
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // True once the child has ended (and was reaped).
    bool WaitFor(std::chrono::milliseconds timeout) const override;
    bool HasEnded();
    // The exit code, or 128 + the signal number for a child ended by a signal; -1 while running.
    int ExitStatus() const { return exit_status_; }
    // Kills the child's whole process group and reaps it.
    void Kill();
    // Lets a child meant to outlive us (the desktop's browser) run on: it is neither killed nor
    // waited for any more.
    void Release() { released_ = true; }
    pid_t Pid() const { return pid_; }

  private:
    ChildProcess(pid_t pid, int pidfd) : pid_(pid), pidfd_(pidfd) {}
    bool Reap(bool block) const;

    pid_t pid_;
    int pidfd_;  // -1 when the kernel offers no process descriptors; then waits poll
    // What waiting learnt of the child; waits are const to their callers.
    mutable bool ended_ = false;
    bool released_ = false;
    mutable int exit_status_ = -1;
};

struct ExternalProgram {
    std::string path;
    std::vector<std::string> arguments;
    std::chrono::milliseconds timeout{0};
    // Shown through ShowError when the program cannot be started; empty shows nothing.
    std::string start_failure_message;
    bool keep_output = false;
};

struct ExternalRunResult {
    ProcessResult result = PROCESS_FAILED;
    bool started = false;
    int exit_status = -1;  // valid when the program ended by itself
};

// Runs the program from inside `process`'s body and waits for it while pumping messages:
// PROCESS_DONE when it ended, PROCESS_STOPPED when the user cancelled, PROCESS_FAILED when it
// could not be started or ran past its time-out.
ExternalRunResult RunExternalProgram(LProgressDialog& process, const ExternalProgram& program);

}  // namespace sonvara
