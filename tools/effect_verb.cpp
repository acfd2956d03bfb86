#include "tools/effect_verb.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "batch/named_effect.h"
#include "core/message_loop.h"
#include "core/terminal_progress_view.h"
#include "effects/registry/effect_registry.h"
#include "formats/format_table.h"
#include "formats/load_save.h"
#include "formats/tag_file.h"
#include "tools/exit_status.h"
#include "tools/file_checks.h"

namespace sonvara {
namespace {

enum class Step { kLoad, kEffect, kSave };

// Load, effect, save, as one process with one bar. `before_save` may stop the save (false) when
// the result cannot be saved as asked.
class SVEffectFile : public LProgressDialog {
  public:
    SVEffectFile(const EffectVerbOptions& options, const NamedEffect& effect, SaveMode mode,
                 std::function<bool(const LCutListAudio&)> before_save)
        : LProgressDialog(options.effect.substr(0, options.effect.find(':'))),
          options_(options),
          effect_(effect),
          mode_(mode),
          before_save_(std::move(before_save)) {}

    Step FailedStep() const { return failed_; }

  protected:
    ProcessResult Body() override {
        LCutListAudio document;
        failed_ = Step::kLoad;
        SVLoadFile load(options_.input, document, options_.raw_options);
        if (const ProcessResult result = RunStep(load, 0, 0.2); result != PROCESS_DONE) {
            return result;
        }
        failed_ = Step::kEffect;
        if (const ProcessResult result = ApplyNamedEffect(*this, document, effect_, 0.2, 0.8);
            result != PROCESS_DONE) {
            return result;
        }
        failed_ = Step::kSave;
        if (before_save_ && !before_save_(document)) {
            return PROCESS_FAILED;
        }
        LSVSaveToSink save(document, options_.output, mode_);
        save.SetOptions({options_.input, options_.bits, ReadFileTags(options_.input), {}});
        return RunStep(save, 0.8, 1);
    }

  private:
    const EffectVerbOptions& options_;
    const NamedEffect& effect_;
    SaveMode mode_;
    std::function<bool(const LCutListAudio&)> before_save_;
    Step failed_ = Step::kLoad;
};

}  // namespace

int RunEffectVerb(const EffectVerbOptions& options, BatchPrompts& prompts) {
    const Result<NamedEffect> effect = ParseNamedEffect(options.effect);
    if (!effect) {
        return Fail(effect.Message());
    }
    if (const auto fault = InputFileProblem(options.input, true)) {
        return Fail(*fault);
    }
    if (const auto fault = OutputFileProblem(options.output)) {
        return Fail(*fault);
    }
    if (const auto fault = BitsProblem(options.output, options.bits)) {
        return Fail(*fault);
    }
    const FileKind output_kind = FileKindOf(options.output);
    SaveMode mode = SaveMode::kPlain;
    std::function<bool(const LCutListAudio&)> before_save;
    if (options.wav_format && output_kind == FileKind::kWave) {
        // The codec is fitted to the result's rate and channels, known once the effect is done.
        const std::string& name = *options.wav_format;
        if (!WaveFormatByName(name, 44100, 1) && !WaveFormatByName(name, 44100, 2)) {
            return Fail("formato WAV desconocido: \"" + name + "\"");
        }
        mode = SaveMode::kNewName;
        before_save = [&](const LCutListAudio& document) {
            const std::optional<FormatArea> format = WaveFormatByName(
                name, static_cast<std::uint32_t>(document.GetSampleRate()), document.GetChannels());
            if (!format) {
                prompts.Ask({"Error",
                             "el formato WAV \"" + name + "\" no admite " +
                                 std::to_string(document.GetChannels()) + " canales",
                             PromptIcon::kError, PromptButtons::kOk});
                return false;
            }
            prompts.SetWaveFormat(*format);
            return true;
        };
    } else if (options.raw_options && output_kind == FileKind::kRaw) {
        mode = SaveMode::kNewName;
    }

    SVEffectFile process(options, *effect, mode, before_save);
    const int messages = prompts.MessagesShown();
    QueueMessageLoop loop;
    TerminalProgressView view;
    ProcessHost host{loop, view, prompts};
    const ProcessResult result = process.Run(host);
    if (result == PROCESS_DONE) {
        return kExitDone;
    }
    if (result == PROCESS_STOPPED) {
        std::fprintf(stderr, "sonvara-batch: cancelado\n");
        return kExitCancelled;
    }
    if (prompts.MessagesShown() > messages) {
        return kExitFailed;  // the step said why
    }
    switch (process.FailedStep()) {
        case Step::kLoad:
            return Fail(UnreadableInputMessage(options.input));
        case Step::kEffect:
            return Fail("falló el efecto \"" + options.effect + "\" en \"" + options.input + "\"");
        case Step::kSave:
            break;
    }
    return Fail("no se pudo guardar \"" + options.output + "\"");
}

int ListEffects() {
    for (const EffectEntry& effect : Effects().All()) {
        std::string typed = EffectUsage(effect);
        // Padded by characters, not bytes: the usages hold accented letters.
        const auto shown =
            std::count_if(typed.begin(), typed.end(), [](char c) { return (c & 0xC0) != 0x80; });
        typed.append(static_cast<std::size_t>(std::max<std::ptrdiff_t>(33 - shown, 1)), ' ');
        std::printf("%s%s\n", typed.c_str(), effect.names.undo.c_str());
    }
    return kExitDone;
}

}  // namespace sonvara
