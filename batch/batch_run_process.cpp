#include "batch/batch_run_process.h"

#include "formats/format_prompts.h"

#include <utility>

namespace sonvara {
namespace {

// Keeps the messages of a file's steps (answered "OK") as the reason it failed; questions with a
// choice, and the format choices, go on to the user.
class ReasonPrompts : public FormatPrompts {
  public:
    explicit ReasonPrompts(Prompts& outer) : outer_(outer) {}

    PromptAnswer Ask(const PromptMessage& message) override {
        if (message.buttons != PromptButtons::kOk) {
            return outer_.Ask(message);
        }
        reason_ += (reason_.empty() ? "" : " ") + message.text;
        return PromptAnswer::kOk;
    }
    bool ChooseWaveFormat(FormatArea& format, const std::vector<FormatChoice>& choices,
                          const std::string& title) override {
        FormatPrompts* outer = FormatQuestionsOf(outer_);
        return outer != nullptr && outer->ChooseWaveFormat(format, choices, title);
    }
    bool AskRawFileFormat(RawFileFormat& format) override {
        return sonvara::AskRawFileFormat(outer_, format);
    }
    bool AskMp3EncoderSettings(Mp3EncoderSettings& settings) override {
        return sonvara::AskMp3EncoderSettings(outer_, settings);
    }

    const std::string& Reason() const { return reason_; }

  private:
    Prompts& outer_;
    std::string reason_;
};

std::string StepText(const std::string& step) {
    if (step == "cargar") {
        return "no se pudo cargar";
    }
    if (step == "guardar") {
        return "no se pudo guardar";
    }
    return "falló en \"" + step + "\"";
}

}  // namespace

LBatchRun::LBatchRun(std::vector<std::string> files, std::vector<LBatchCommandItem> items,
                     BatchOutputSettings output, BatchRunObserver* observer)
    : LProgressDialog("Convertidor de Grupo"),
      files_(std::move(files)),
      items_(std::move(items)),
      output_(std::move(output)),
      observer_(observer) {}

ProcessResult LBatchRun::Body() {
    failures_.clear();
    outputs_.clear();
    if (const Result<void> check = CheckBatchOutputs(files_, output_); !check) {
        ShowError(check.Message());
        return PROCESS_FAILED;
    }
    const double count = static_cast<double>(files_.size());
    for (std::size_t f = 0; f < files_.size(); ++f) {
        const std::string& file = files_[f];
        if (observer_ != nullptr) {
            observer_->FileStarted(f, files_.size(), file);
        }
        SVBatchConverter converter({file}, items_, output_);
        ReasonPrompts reasons(Host()->prompts);
        const ProcessResult result = RunStep(converter, static_cast<double>(f) / count,
                                             static_cast<double>(f + 1) / count, &reasons);
        if (result == PROCESS_DONE) {
            outputs_.insert(outputs_.end(), converter.Outputs().begin(), converter.Outputs().end());
            continue;
        }
        if (converter.Stopped() || result == PROCESS_STOPPED) {
            return PROCESS_STOPPED;
        }
        std::string reason = StepText(converter.FailedStep());
        if (!reasons.Reason().empty()) {
            reason += ": " + reasons.Reason();
        }
        failures_.push_back({file, std::move(reason)});
        if (observer_ == nullptr) {
            return PROCESS_FAILED;
        }
        observer_->FileFailed(failures_.back());
        if (!observer_->GoOnAfterFailure()) {
            return PROCESS_FAILED;
        }
    }
    return failures_.empty() ? PROCESS_DONE : PROCESS_FAILED;
}

}  // namespace sonvara
