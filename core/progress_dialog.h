#pragma once
// LProgressDialog: the base of every long operation ("process"): loading, saving, effects,
// conversions, CD import. A process runs on the interface thread, in blocks, behind a progress
// view. Between blocks it calls CheckCancel(), which pumps the interface thread's pending messages
// (so painting and worker notifications go on) and tells whether the user cancelled.
//
// A process class fills in Body(): set the texts, check the inputs (PROCESS_FAILED on a bad one),
// loop over blocks of 8192 frames with CheckCancel() (true: clean up, PROCESS_STOPPED) and
// SetProgress(), then clean up and return PROCESS_DONE. Messages for the user go through
// ShowError() or the host's Prompts.

#include <chrono>
#include <functional>
#include <string>

#include "core/message_loop.h"
#include "core/progress_view.h"
#include "core/prompts.h"
#include "core/waitable.h"

namespace sonvara {

// A process's outcome. Scoped, so that it never mixes with numbers or flags; its names are in
// scope unqualified, as every process returns one.
enum class ProcessResult : int {
    PROCESS_DONE = 0,
    PROCESS_STOPPED = 1,  // the user cancelled
    PROCESS_FAILED = 2,
};
using enum ProcessResult;

// What a process runs against: the editor passes its event loop, progress dialog and message
// boxes; the batch tool its queue, terminal bar and option-driven answers; tests their fakes.
struct ProcessHost {
    MessageLoop& loop;
    ProgressView& view;
    Prompts& prompts;
    // How SleepPumping sleeps; empty means the real clock.
    std::function<void(std::chrono::milliseconds)> sleep = {};
};

class LProgressDialog {
  public:
    explicit LProgressDialog(std::string caption);
    virtual ~LProgressDialog() = default;
    LProgressDialog(const LProgressDialog&) = delete;
    LProgressDialog& operator=(const LProgressDialog&) = delete;

    // Opens the view, runs Body() and closes the view again; returns Body()'s result.
    // PROCESS_FAILED without running the body when this process is running already or the view
    // cannot be opened.
    ProcessResult Run(ProcessHost& host);

    // Line 0 or 1; other lines, and calls after a cancel, are ignored.
    void SetText(const std::string& text, int line);
    // 0.0 to 1.0.
    void SetProgress(double fraction);
    // Pumps every pending message, then returns true when the user has cancelled.
    bool CheckCancel();
    // Sleeps in slices of at most 200 ms, checking for a cancel after each; false when cancelled.
    bool SleepPumping(std::chrono::milliseconds duration);
    // Waits for `handle` while pumping messages. True when it is signalled or the user
    // cancelled, false when the time-out passed.
    bool WaitPumping(const Waitable& handle, std::chrono::milliseconds timeout);
    // A message box titled "Error" with a warning icon.
    void ShowError(const std::string& text);
    // Whether the process has shown an error (its owner need not say more about the failure).
    bool ErrorShown() const { return error_shown_; }

    // Runs `step`, another process, as one part of this running one: the step's texts show in
    // this process's view, its progress fills [from, to] of this process's bar, and a cancel of
    // this process stops the step. The step's questions go to `prompts`, or to this process's
    // host when it is null. PROCESS_FAILED when this process is not running.
    ProcessResult RunStep(LProgressDialog& step, double from, double to,
                          Prompts* prompts = nullptr);

    const std::string& Caption() const { return caption_; }
    // The host of the running process (nullptr outside Run), for prompts of its own.
    ProcessHost* Host() const { return host_; }

  protected:
    virtual ProcessResult Body() = 0;

  private:
    std::string caption_;
    ProcessHost* host_ = nullptr;
    bool view_open_ = false;  // cleared when the user cancels
    bool error_shown_ = false;
};

}  // namespace sonvara
