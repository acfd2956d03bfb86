#pragma once
// Questions and messages that a process asks the user while it runs. The editor answers with
// message boxes, the batch tool from its command-line options, the tests from a script. (The
// questions about a file's format are in formats/format_prompts.h.) Called on the interface thread
// only.

#include <string>

namespace sonvara {

enum class PromptIcon { kInformation, kWarning, kError, kQuestion };
enum class PromptButtons { kOk, kOkCancel, kYesNo, kYesNoCancel };
enum class PromptAnswer { kOk, kCancel, kYes, kNo };

struct PromptMessage {
    std::string caption;  // "Error", "Error de Archivo", "Sonvara", "Valor no válido", ...
    std::string text;
    PromptIcon icon = PromptIcon::kInformation;
    PromptButtons buttons = PromptButtons::kOk;
};

// The answer of someone who agrees to everything: "Yes" where there is one, else "OK". Used where
// nobody is there to ask (the batch tool, tests).
constexpr PromptAnswer AgreeingAnswer(PromptButtons buttons) {
    return buttons == PromptButtons::kYesNo || buttons == PromptButtons::kYesNoCancel
               ? PromptAnswer::kYes
               : PromptAnswer::kOk;
}

class Prompts {
  public:
    virtual ~Prompts() = default;

    // Shows the message and returns the button the user chose (kCancel when the box was closed).
    virtual PromptAnswer Ask(const PromptMessage& message) = 0;
};

}  // namespace sonvara
