#include "tests/support/scripted_prompts.h"

namespace sonvara::testing {

PromptAnswer ScriptedPrompts::Ask(const PromptMessage& message) {
    asked_.push_back(message);
    if (!answers_.empty()) {
        PromptAnswer answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    switch (message.buttons) {
        case PromptButtons::kYesNo:
        case PromptButtons::kYesNoCancel:
            return PromptAnswer::kYes;
        case PromptButtons::kOk:
        case PromptButtons::kOkCancel:
            break;
    }
    return PromptAnswer::kOk;
}

}  // namespace sonvara::testing
