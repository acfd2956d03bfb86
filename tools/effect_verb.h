#pragma once
// `sonvara-batch effect EFFECT IN OUT`: IN is loaded, the named effect (batch/named_effect.h) is
// applied to the whole of it, and the result is saved as OUT, both by extension.

#include <optional>
#include <string>

#include "formats/sample_bits.h"
#include "tools/batch_prompts.h"

namespace sonvara {

struct EffectVerbOptions {
    std::string effect;  // as typed: "fade-in:2s", "equalizer:100:50%,8000:150%", ...
    std::string input;
    std::string output;
    std::optional<std::string> wav_format;  // --wav-format, for a WAV output
    bool raw_options = false;               // whether --raw-* options were given
    std::optional<SampleBits> bits;         // --bits; else the input's width is kept
};

// The exit status (0 done, 1 cancelled, 2 failed), with what went wrong on stderr.
int RunEffectVerb(const EffectVerbOptions& options, BatchPrompts& prompts);

// `sonvara-batch effects`: each registered effect as typed, with its fields' default values, and
// its name in the editor.
int ListEffects();

}  // namespace sonvara
