#pragma once
// What the project fuzz targets share: a cut tank in a scratch folder of its own, made once, for
// the audio the readers take in, and a process host with no one to ask.

#include <cstdlib>
#include <memory>
#include <string>

#include "core/message_loop.h"
#include "core/progress_dialog.h"
#include "core/progress_view.h"
#include "document/cut_tank.h"
#include "formats/format_prompts.h"
#include "tests/fuzz/source_fuzz_checks.h"

namespace sonvara::fuzz {

class SilentPrompts : public FormatPrompts {
  public:
    PromptAnswer Ask(const PromptMessage& message) override {
        return AgreeingAnswer(message.buttons);
    }
    bool ChooseWaveFormat(FormatArea&, const std::vector<FormatChoice>&,
                          const std::string&) override {
        return false;
    }
    bool AskRawFileFormat(RawFileFormat&) override { return false; }
    bool AskMp3EncoderSettings(Mp3EncoderSettings&) override { return false; }
};

// Installs the tank once; returns the scratch folder, which also takes the targets' own files.
inline const std::string& UseScratchCutTank() {
    static const std::string folder = [] {
        char made[] = "/tmp/sonvara-project-fuzz-XXXXXX";
        Check(::mkdtemp(made) != nullptr);
        UseCutTank(std::make_unique<LAudioCutTank>(std::string(made) + "/work"));
        return std::string(made);
    }();
    return folder;
}

inline ProcessResult RunQuietly(LProgressDialog& process) {
    QueueMessageLoop loop;
    SilentProgressView view;
    SilentPrompts prompts;
    ProcessHost host{loop, view, prompts};
    return process.Run(host);
}

}  // namespace sonvara::fuzz
