#pragma once
// Runs a process the way the editor would, with a plain message queue, a silent progress view
// (or `view`, to cancel) and scripted prompts (or `prompts`, to answer and record).

#include "core/message_loop.h"
#include "core/progress_dialog.h"
#include "core/progress_view.h"
#include "tests/support/scripted_prompts.h"

namespace sonvara::testing {

inline ProcessResult RunProcess(LProgressDialog& process, ProgressView* view = nullptr,
                                Prompts* prompts = nullptr) {
    QueueMessageLoop loop;
    SilentProgressView silent;
    ScriptedPrompts scripted;
    ProcessHost host{loop, view != nullptr ? *view : silent,
                     prompts != nullptr ? *prompts : scripted};
    return process.Run(host);
}

}  // namespace sonvara::testing
