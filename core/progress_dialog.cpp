#include "core/progress_dialog.h"

#include <algorithm>
#include <cmath>
#include <thread>

#include "core/diagnostics.h"

namespace sonvara {
namespace {

constexpr auto kSleepSlice = std::chrono::milliseconds(200);
// How long WaitPumping blocks on its handle before it looks at the messages again.
constexpr auto kWaitSlice = std::chrono::milliseconds(20);

}  // namespace

LProgressDialog::LProgressDialog(std::string caption) : caption_(std::move(caption)) {}

ProcessResult LProgressDialog::Run(ProcessHost& host) {
    if (host_ != nullptr) {
        Diagnose("LProgressDialog::Open Called when already open!");
        return PROCESS_FAILED;
    }
    if (!host.view.Open(caption_)) {
        Diagnose("LProgressDialog::Run Unable to create Progress Dialog");
        return PROCESS_FAILED;
    }
    host_ = &host;
    view_open_ = true;
    host.view.SetPercent(0);

    ProcessResult result = Body();

    if (view_open_) {
        host.view.Close();
        view_open_ = false;
    }
    host_ = nullptr;
    return result;
}

void LProgressDialog::SetText(const std::string& text, int line) {
    if (view_open_ && (line == 0 || line == 1)) {
        host_->view.SetText(line, text);
    }
}

void LProgressDialog::SetProgress(double fraction) {
    if (!view_open_) {
        return;
    }
    double percent = std::isfinite(fraction) ? std::clamp(fraction, 0.0, 1.0) * 100.0 : 0.0;
    host_->view.SetPercent(static_cast<int>(percent));
}

bool LProgressDialog::CheckCancel() {
    if (!view_open_) {
        return true;
    }
    host_->loop.PumpPending();
    if (host_->view.CancelRequested()) {
        host_->view.Close();
        view_open_ = false;
        return true;
    }
    return false;
}

bool LProgressDialog::SleepPumping(std::chrono::milliseconds duration) {
    if (!view_open_) {
        return false;
    }
    while (duration > std::chrono::milliseconds(0)) {
        auto slice = std::min(duration, std::chrono::milliseconds(kSleepSlice));
        if (host_->sleep) {
            host_->sleep(slice);
        } else {
            std::this_thread::sleep_for(slice);
        }
        duration -= slice;
        if (CheckCancel()) {
            return false;
        }
    }
    return true;
}

bool LProgressDialog::WaitPumping(const Waitable& handle, std::chrono::milliseconds timeout) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (CheckCancel()) {
            return true;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left <= std::chrono::milliseconds(0)) {
            return handle.WaitFor(std::chrono::milliseconds(0));
        }
        if (handle.WaitFor(std::min(left, std::chrono::milliseconds(kWaitSlice)))) {
            return true;
        }
    }
}

namespace {

// The view of a process run as a step of another: it opens and closes nothing and passes
// everything to the process it is a step of.
class StepView : public ProgressView {
  public:
    StepView(LProgressDialog& outer, double from, double to)
        : outer_(outer), from_(from), to_(to) {}

    bool Open(const std::string&) override { return true; }
    void SetText(int line, const std::string& text) override { outer_.SetText(text, line); }
    void SetPercent(int percent) override {
        outer_.SetProgress(from_ + (to_ - from_) * percent / 100.0);
    }
    bool CancelRequested() override { return outer_.CheckCancel(); }
    void Close() override {}

  private:
    LProgressDialog& outer_;
    double from_, to_;
};

}  // namespace

ProcessResult LProgressDialog::RunStep(LProgressDialog& step, double from, double to,
                                       Prompts* prompts) {
    if (!view_open_) {
        return PROCESS_FAILED;
    }
    StepView view(*this, from, to);
    ProcessHost host{host_->loop, view, prompts != nullptr ? *prompts : host_->prompts,
                     host_->sleep};
    return step.Run(host);
}

void LProgressDialog::ShowError(const std::string& text) {
    if (host_ == nullptr) {
        Diagnose("LProgressDialog::ShowError Called outside Run: " + text);
        return;
    }
    error_shown_ = true;
    host_->prompts.Ask({"Error", text, PromptIcon::kWarning, PromptButtons::kOk});
}

}  // namespace sonvara
