#pragma once
// Runs a process in a benchmark the way the batch tool does: a plain message queue, no progress
// display and nobody to answer questions.

#include <string>

#include "core/message_loop.h"
#include "core/progress_dialog.h"
#include "core/progress_view.h"
#include "core/prompts.h"

namespace sonvara {

// Format questions cannot be answered here: they are cancelled.
class NoPrompts : public Prompts {
  public:
    PromptAnswer Ask(const PromptMessage&) override { return PromptAnswer::kOk; }
};

inline ProcessResult RunBenchProcess(LProgressDialog& process) {
    QueueMessageLoop loop;
    SilentProgressView view;
    NoPrompts prompts;
    ProcessHost host{loop, view, prompts};
    return process.Run(host);
}

}  // namespace sonvara
