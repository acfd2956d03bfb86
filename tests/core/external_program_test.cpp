#include "core/external_program.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <cerrno>
#include <functional>

#include "core/message_loop.h"
#include "tests/support/file_contents.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/scripted_prompts.h"

namespace sonvara {
namespace {

using std::chrono::milliseconds;

class CallbackProcess : public LProgressDialog {
  public:
    explicit CallbackProcess(std::function<ProcessResult(CallbackProcess&)> body)
        : LProgressDialog("Componente"), body_(std::move(body)) {}

  protected:
    ProcessResult Body() override { return body_(*this); }

  private:
    std::function<ProcessResult(CallbackProcess&)> body_;
};

class CancelAfterPolls : public SilentProgressView {
  public:
    explicit CancelAfterPolls(int polls) : left_(polls) {}
    bool CancelRequested() override { return left_-- <= 0; }

  private:
    int left_;
};

ExternalProgram Program(std::string path, std::vector<std::string> arguments, milliseconds timeout,
                        std::string start_failure_message = {}) {
    ExternalProgram program;
    program.path = std::move(path);
    program.arguments = std::move(arguments);
    program.timeout = timeout;
    program.start_failure_message = std::move(start_failure_message);
    return program;
}

using testing::FileText;

// True when no live process has this id (a reaped or a zombie process does not count as live).
bool IsGone(pid_t pid) {
    if (kill(pid, 0) != 0) {
        return errno == ESRCH;
    }
    std::string stat = FileText("/proc/" + std::to_string(pid) + "/stat");
    auto state = stat.rfind(')');
    return state != std::string::npos && stat.compare(state, 3, ") Z") == 0;
}

struct ExternalProgramTest : ::testing::Test {
    QueueMessageLoop loop;
    SilentProgressView view;
    testing::ScriptedPrompts prompts;
    testing::ScratchFolder scratch;

    ExternalRunResult Run(const ExternalProgram& program, ProgressView& with) {
        ProcessHost host{loop, with, prompts};
        ExternalRunResult run;
        CallbackProcess process([&](CallbackProcess& self) {
            run = RunExternalProgram(self, program);
            return run.result;
        });
        process.Run(host);
        return run;
    }
};

TEST_F(ExternalProgramTest, PassesArgumentsVerbatimAndReportsTheExitStatus) {
    std::string out = scratch.File("args.txt");
    ExternalProgram program = Program("sh",
                                      {"-c", "printf '%s|%s' \"$1\" \"$2\" > \"$3\"; exit 3", "sh",
                                       "a b  c", "\"q\"; rm -rf $HOME *", out},
                                      milliseconds(10000));
    ExternalRunResult run = Run(program, view);
    EXPECT_TRUE(run.started);
    EXPECT_EQ(run.result, PROCESS_DONE);
    EXPECT_EQ(run.exit_status, 3);
    EXPECT_EQ(FileText(out), "a b  c|\"q\"; rm -rf $HOME *");
}

TEST_F(ExternalProgramTest, AProgramThatCannotStartFailsWithTheCallersMessage) {
    ExternalProgram program = Program("sonvara-no-such-component", {}, milliseconds(1000),
                                      "El componente no está instalado.");
    ExternalRunResult run = Run(program, view);
    EXPECT_FALSE(run.started);
    EXPECT_EQ(run.result, PROCESS_FAILED);
    ASSERT_EQ(prompts.Asked().size(), 1u);
    EXPECT_EQ(prompts.Asked()[0].text, "El componente no está instalado.");
}

TEST_F(ExternalProgramTest, WaitPumpingTimesOutOnARunningChildAndSeesItEnd) {
    std::string error;
    auto child = ChildProcess::Spawn("sleep", {"0.3"}, false, &error);
    ASSERT_NE(child, nullptr) << error;
    ProcessHost host{loop, view, prompts};
    CallbackProcess process([&](CallbackProcess& self) {
        EXPECT_FALSE(self.WaitPumping(*child, milliseconds(50)));
        EXPECT_TRUE(self.WaitPumping(*child, milliseconds(10000)));
        return PROCESS_DONE;
    });
    EXPECT_EQ(process.Run(host), PROCESS_DONE);
    EXPECT_EQ(child->ExitStatus(), 0);
}

TEST_F(ExternalProgramTest, AChildPastItsTimeOutIsKilledWithItsHelpers) {
    std::string pid_file = scratch.File("helper.pid");
    ExternalProgram program = Program(
        "sh", {"-c", "sleep 30 & echo $! > \"$1\"; wait", "sh", pid_file}, milliseconds(300));
    ExternalRunResult run = Run(program, view);
    EXPECT_TRUE(run.started);
    EXPECT_EQ(run.result, PROCESS_FAILED);
    pid_t helper = static_cast<pid_t>(std::stol(FileText(pid_file)));
    for (int i = 0; i < 100 && !IsGone(helper); ++i) {
        usleep(10000);
    }
    EXPECT_TRUE(IsGone(helper)) << "the child's own helper was left running";
}

TEST_F(ExternalProgramTest, CancelStopsTheProcessAndKillsTheChild) {
    std::string pid_file = scratch.File("child.pid");
    CancelAfterPolls cancelling(15);
    ExternalProgram program = Program(
        "sh", {"-c", "echo $$ > \"$1\"; exec sleep 30", "sh", pid_file}, milliseconds(60000));
    ExternalRunResult run = Run(program, cancelling);
    EXPECT_EQ(run.result, PROCESS_STOPPED);
    pid_t child = static_cast<pid_t>(std::stol(FileText(pid_file)));
    EXPECT_TRUE(IsGone(child));
}

TEST_F(ExternalProgramTest, AReleasedChildOutlivesItsHandle) {
    std::string error;
    auto child = ChildProcess::Spawn("sleep", {"30"}, false, &error);
    ASSERT_NE(child, nullptr) << error;
    const pid_t pid = child->Pid();
    child->Release();
    child.reset();
    EXPECT_FALSE(IsGone(pid));
    kill(pid, SIGKILL);
    EXPECT_EQ(waitpid(pid, nullptr, 0), pid);
}

}  // namespace
}  // namespace sonvara
