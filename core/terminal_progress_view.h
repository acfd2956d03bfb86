#pragma once
// The batch tool's progress: one line on stderr with the caption, a bar, the percent, the time
// left and the current text, redrawn in place. Nothing is drawn when the stream is not a
// terminal (scripts and logs stay clean). Ctrl+C (SIGINT), SIGTERM or SIGHUP (a closed terminal)
// while the view is open asks the process to cancel, so that it removes what it was writing; a
// second one ends the program the usual way. A signal ignored when the view opens stays ignored.

#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <iterator>
#include <string>

#include "core/progress_view.h"

namespace sonvara {

class TerminalProgressView : public ProgressView {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // Draws on stderr when it is a terminal.
    TerminalProgressView();
    // Draws on `stream` when `draw` is true; `clock` replaces the steady clock (tests).
    TerminalProgressView(std::FILE* stream, bool draw, Clock clock = {}, int width = 0);
    ~TerminalProgressView() override;
    TerminalProgressView(const TerminalProgressView&) = delete;
    TerminalProgressView& operator=(const TerminalProgressView&) = delete;

    bool Open(const std::string& caption) override;
    void SetText(int line, const std::string& text) override;
    void SetPercent(int percent) override;
    bool CancelRequested() override;
    void Close() override;

    // The line as it would be drawn now (without the carriage return and clearing codes).
    std::string Line() const;

  private:
    std::chrono::steady_clock::time_point Now() const;
    void Draw(bool force);
    int Width() const;

    std::FILE* stream_;
    bool draw_;
    Clock clock_;
    int width_;
    bool open_ = false;
    bool drawn_ = false;
    std::string caption_;
    std::string text_[2];
    int percent_ = 0;
    std::chrono::steady_clock::time_point started_{};
    std::chrono::steady_clock::time_point last_draw_{};
    static constexpr int kCancelSignals[] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction previous_[std::size(kCancelSignals)]{};
};

}  // namespace sonvara
