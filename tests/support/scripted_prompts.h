#pragma once
// Prompts for tests: records every message and answers from a queue (kOk/kYes when it is empty).

#include <deque>
#include <vector>

#include "core/prompts.h"

namespace sonvara::testing {

class ScriptedPrompts : public Prompts {
  public:
    PromptAnswer Ask(const PromptMessage& message) override;

    void QueueAnswer(PromptAnswer answer) { answers_.push_back(answer); }
    const std::vector<PromptMessage>& Asked() const { return asked_; }

  private:
    std::deque<PromptAnswer> answers_;
    std::vector<PromptMessage> asked_;
};

}  // namespace sonvara::testing
