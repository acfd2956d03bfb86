#include "core/progress_dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "core/message_loop.h"
#include "tests/support/captured_diagnostics.h"
#include "tests/support/scripted_prompts.h"

namespace sonvara {
namespace {

using std::chrono::milliseconds;

// A view that cancels once it has been asked `polls_before_cancel` times.
class CancellingView : public SilentProgressView {
  public:
    int polls_before_cancel = -1;  // never
    int polls = 0;
    int closes = 0;
    bool refuse_open = false;

    bool Open(const std::string& caption) override {
        return !refuse_open && SilentProgressView::Open(caption);
    }
    bool CancelRequested() override {
        ++polls;
        return polls_before_cancel >= 0 && polls > polls_before_cancel;
    }
    void Close() override {
        ++closes;
        SilentProgressView::Close();
    }
};

// A process whose body is given by the test.
class LambdaProcess : public LProgressDialog {
  public:
    explicit LambdaProcess(std::function<ProcessResult(LambdaProcess&)> body)
        : LProgressDialog("Prueba"), body_(std::move(body)) {}

  protected:
    ProcessResult Body() override { return body_(*this); }

  private:
    std::function<ProcessResult(LambdaProcess&)> body_;
};

// The usual shape of a process: blocks with a cancel check and progress after each.
ProcessResult BlockLoop(LambdaProcess& process, int blocks, int* done) {
    process.SetText("Procesando", 0);
    process.SetText("Espere por favor...", 1);
    for (int block = 0; block < blocks; ++block) {
        if (process.CheckCancel()) {
            return PROCESS_STOPPED;
        }
        ++*done;
        process.SetProgress(static_cast<double>(block + 1) / blocks);
    }
    return PROCESS_DONE;
}

struct Fixture : ::testing::Test {
    QueueMessageLoop loop;
    CancellingView view;
    testing::ScriptedPrompts prompts;
    std::vector<milliseconds> slept;
    ProcessHost host{loop, view, prompts, [this](milliseconds ms) { slept.push_back(ms); }};
};

using ProcessRunner = Fixture;

TEST_F(ProcessRunner, RunsTheBodyBehindTheViewAndPumpsMessagesBetweenBlocks) {
    int done = 0;
    int handled = 0;
    LambdaProcess process([&](LambdaProcess& self) {
        EXPECT_TRUE(view.IsOpen());
        EXPECT_EQ(view.Caption(), "Prueba");
        loop.Post([&] { ++handled; });
        return BlockLoop(self, 4, &done);
    });
    EXPECT_EQ(process.Run(host), PROCESS_DONE);
    EXPECT_EQ(done, 4);
    EXPECT_EQ(handled, 1) << "a message posted during the process must be handled";
    EXPECT_EQ(view.Percent(), 100);
    EXPECT_EQ(view.Text(1), "Espere por favor...");
    EXPECT_FALSE(view.IsOpen());
    EXPECT_EQ(view.closes, 1);
}

TEST_F(ProcessRunner, CancelBetweenBlocksStopsTheProcessAndClosesTheView) {
    view.polls_before_cancel = 2;
    int done = 0;
    LambdaProcess process([&](LambdaProcess& self) {
        ProcessResult result = BlockLoop(self, 10, &done);
        // After the cancel the view is gone: texts and progress are ignored, cancel stays true.
        self.SetText("después", 0);
        self.SetProgress(0.5);
        EXPECT_TRUE(self.CheckCancel());
        EXPECT_FALSE(self.SleepPumping(milliseconds(100)));
        return result;
    });
    EXPECT_EQ(process.Run(host), PROCESS_STOPPED);
    EXPECT_EQ(done, 2);
    EXPECT_EQ(view.Text(0), "Procesando");
    EXPECT_EQ(view.closes, 1);
    EXPECT_TRUE(slept.empty());
}

TEST_F(ProcessRunner, AStepShowsInItsProcessAndStopsWithIt) {
    int done = 0;
    std::vector<int> percents;
    LambdaProcess step([&](LambdaProcess& self) { return BlockLoop(self, 4, &done); });
    LambdaProcess outer([&](LambdaProcess& self) {
        self.SetText("Archivo 2 de 2", 0);
        const ProcessResult result = self.RunStep(step, 0.5, 1.0);
        percents.push_back(view.Percent());
        return result;
    });
    EXPECT_EQ(outer.Run(host), PROCESS_DONE);
    EXPECT_EQ(done, 4);
    EXPECT_EQ(view.Text(0), "Procesando");  // the step's texts, in the one view
    EXPECT_EQ(percents, std::vector<int>{100});
    EXPECT_EQ(view.closes, 1);  // the step opened and closed nothing of its own

    // A cancel during the step stops the step and the process around it.
    view.polls_before_cancel = view.polls + 2;
    done = 0;
    LambdaProcess cancelled([&](LambdaProcess& self) {
        const ProcessResult result = self.RunStep(step, 0.0, 0.5);
        EXPECT_TRUE(self.CheckCancel());
        return result;
    });
    EXPECT_EQ(cancelled.Run(host), PROCESS_STOPPED);
    EXPECT_EQ(done, 2);
    EXPECT_EQ(view.closes, 2);
    EXPECT_EQ(step.RunStep(step, 0, 1), PROCESS_FAILED);  // not running
}

TEST_F(ProcessRunner, TextOnOtherLinesAndOutOfRangeProgressAreHandled) {
    LambdaProcess process([&](LambdaProcess& self) {
        self.SetText("cero", 0);
        self.SetText("dos", 2);
        self.SetText("menos", -1);
        EXPECT_EQ(view.Text(0), "cero");
        EXPECT_EQ(view.Text(1), "");
        self.SetProgress(1.7);
        EXPECT_EQ(view.Percent(), 100);
        self.SetProgress(-3);
        EXPECT_EQ(view.Percent(), 0);
        self.SetProgress(0.423);
        EXPECT_EQ(view.Percent(), 42);
        return PROCESS_DONE;
    });
    EXPECT_EQ(process.Run(host), PROCESS_DONE);
}

TEST_F(ProcessRunner, SleepPumpingSleepsInSlicesOfAtMost200Ms) {
    LambdaProcess process([&](LambdaProcess& self) {
        EXPECT_TRUE(self.SleepPumping(milliseconds(450)));
        return PROCESS_DONE;
    });
    process.Run(host);
    EXPECT_EQ(slept,
              (std::vector<milliseconds>{milliseconds(200), milliseconds(200), milliseconds(50)}));
    EXPECT_EQ(view.polls, 3) << "a cancel check after every slice";

    // A cancel seen after the first slice ends the sleep there.
    slept.clear();
    view.polls = 0;
    view.polls_before_cancel = 0;
    LambdaProcess cancelled([&](LambdaProcess& self) {
        EXPECT_FALSE(self.SleepPumping(milliseconds(450)));
        return PROCESS_STOPPED;
    });
    cancelled.Run(host);
    EXPECT_EQ(slept, (std::vector<milliseconds>{milliseconds(200)}));
}

TEST_F(ProcessRunner, RefusesToRunTwiceAtOnceOrWithoutAView) {
    testing::CapturedDiagnostics diagnostics;
    bool inner_ran = false;
    LambdaProcess process([&](LambdaProcess& self) {
        // Re-entering Run on the same object, as a message handled in CheckCancel could.
        EXPECT_EQ(self.Run(host), PROCESS_FAILED);
        return PROCESS_DONE;
    });
    EXPECT_EQ(process.Run(host), PROCESS_DONE);
    EXPECT_TRUE(diagnostics.Contains("LProgressDialog::Open Called when already open!"));

    view.refuse_open = true;
    LambdaProcess refused([&](LambdaProcess&) {
        inner_ran = true;
        return PROCESS_DONE;
    });
    EXPECT_EQ(refused.Run(host), PROCESS_FAILED);
    EXPECT_FALSE(inner_ran);
    EXPECT_TRUE(diagnostics.Contains("LProgressDialog::Run Unable to create Progress Dialog"));
}

TEST_F(ProcessRunner, ShowErrorAsksAWarningTitledError) {
    LambdaProcess process([&](LambdaProcess& self) {
        self.ShowError("No se puede leer el archivo.");
        return PROCESS_FAILED;
    });
    EXPECT_EQ(process.Run(host), PROCESS_FAILED);
    ASSERT_EQ(prompts.Asked().size(), 1u);
    EXPECT_EQ(prompts.Asked()[0].caption, "Error");
    EXPECT_EQ(prompts.Asked()[0].text, "No se puede leer el archivo.");
    EXPECT_EQ(prompts.Asked()[0].icon, PromptIcon::kWarning);
}

}  // namespace
}  // namespace sonvara
