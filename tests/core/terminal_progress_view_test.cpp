#include "core/terminal_progress_view.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <string>

#include "core/message_loop.h"
#include "core/progress_dialog.h"
#include "tests/support/scripted_prompts.h"

namespace sonvara {
namespace {

using std::chrono::seconds;
using std::chrono::steady_clock;

std::string Contents(std::FILE* file) {
    std::fflush(file);
    std::rewind(file);
    std::string text;
    for (int c; (c = std::fgetc(file)) != EOF;) {
        text.push_back(static_cast<char>(c));
    }
    return text;
}

struct TerminalView : ::testing::Test {
    std::FILE* out = std::tmpfile();
    steady_clock::time_point now{};
    TerminalProgressView::Clock clock = [this] { return now; };
    ~TerminalView() override { std::fclose(out); }
};

TEST_F(TerminalView, DrawsCaptionBarPercentTimeLeftAndText) {
    TerminalProgressView view(out, true, clock, 100);
    view.Open("Convertidor de Grupo");
    view.SetText(0, "Convertidor de Grupo");
    view.SetText(1, "canción.wav");
    now += seconds(10);
    view.SetPercent(25);
    EXPECT_EQ(view.Line(),
              "Convertidor de Grupo [#####---------------]  25%  faltan 0:30  canción.wav");
    now += seconds(3590);
    view.SetPercent(50);
    EXPECT_NE(view.Line().find("faltan 1:00:00"), std::string::npos) << view.Line();
    view.Close();

    std::string drawn = Contents(out);
    EXPECT_NE(drawn.find("\r" + view.Line() + "\x1b[K"), std::string::npos);
    EXPECT_EQ(drawn.back(), '\n');
}

TEST_F(TerminalView, FitsTheWidthWithoutSplittingCharacters) {
    TerminalProgressView view(out, true, clock, 40);
    view.Open("Normalizador");
    view.SetText(1, "ñññññññññññññññññññññññññññññññ");
    view.SetPercent(10);
    std::string line = view.Line();
    int characters = 0;
    for (unsigned char c : line) {
        characters += (c & 0xC0) != 0x80;
    }
    EXPECT_EQ(characters, 39);
    EXPECT_NE(line.substr(line.size() - 2), "\xC3") << "a character was cut in half";
    view.Close();
}

TEST_F(TerminalView, StaysQuietWhenNotATerminal) {
    TerminalProgressView view(out, false, clock);
    view.Open("Guardando");
    view.SetPercent(60);
    view.SetText(1, "x.wav");
    view.Close();
    EXPECT_EQ(Contents(out), "");
}

// A process that loops until the user cancels.
class EndlessProcess : public LProgressDialog {
  public:
    explicit EndlessProcess(int signal = SIGINT) : LProgressDialog("Eco"), signal_(signal) {}
    int blocks = 0;

  protected:
    ProcessResult Body() override {
        for (;;) {
            if (CheckCancel()) {
                return PROCESS_STOPPED;
            }
            if (++blocks == 3) {
                std::raise(signal_);  // the user presses Ctrl+C, or the program is told to end
            }
        }
    }

  private:
    int signal_;
};

TEST_F(TerminalView, CtrlCCancelsTheRunningProcessAndTheHandlerIsRestoredAfter) {
    struct sigaction before {};
    sigaction(SIGINT, nullptr, &before);

    TerminalProgressView view(out, false, clock);
    QueueMessageLoop loop;
    testing::ScriptedPrompts prompts;
    ProcessHost host{loop, view, prompts};
    EndlessProcess process;
    EXPECT_EQ(process.Run(host), PROCESS_STOPPED);
    EXPECT_EQ(process.blocks, 3);

    struct sigaction after {};
    sigaction(SIGINT, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);

    // The next process starts without the old cancel.
    view.Open("Otra");
    EXPECT_FALSE(view.CancelRequested());
    view.Close();
}

TEST_F(TerminalView, TerminationAndHangUpCancelLikeCtrlCUnlessIgnored) {
    QueueMessageLoop loop;
    testing::ScriptedPrompts prompts;
    for (int signal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        struct sigaction before {};
        sigaction(signal, nullptr, &before);
        TerminalProgressView view(out, false, clock);
        ProcessHost host{loop, view, prompts};
        EndlessProcess process(signal);
        EXPECT_EQ(process.Run(host), PROCESS_STOPPED);
        EXPECT_EQ(process.blocks, 3);
        struct sigaction after {};
        sigaction(signal, nullptr, &after);
        EXPECT_EQ(after.sa_handler, before.sa_handler);
    }

    // A hang-up the caller ignores (a run under nohup) does not cancel.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction previous {};
    sigaction(SIGHUP, &ignore, &previous);
    TerminalProgressView view(out, false, clock);
    view.Open("Eco");
    std::raise(SIGHUP);
    EXPECT_FALSE(view.CancelRequested());
    view.Close();
    struct sigaction after {};
    sigaction(SIGHUP, &previous, &after);
    EXPECT_EQ(after.sa_handler, SIG_IGN);
}

}  // namespace
}  // namespace sonvara
