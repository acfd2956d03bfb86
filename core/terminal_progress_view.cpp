#include "core/terminal_progress_view.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>

namespace sonvara {
namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnInterrupt(int) {
    g_interrupted = 1;
}

constexpr int kBarWidth = 20;
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

std::string Duration(long long seconds) {
    char text[32];
    if (seconds >= 3600) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60,
                      seconds % 60);
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", seconds / 60, seconds % 60);
    }
    return text;
}

// Cuts UTF-8 text to at most `columns` characters without splitting a character.
std::string FitColumns(const std::string& text, int columns) {
    int seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        bool starts_character = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
        if (starts_character && seen++ == columns) {
            return text.substr(0, i);
        }
    }
    return text;
}

}  // namespace

TerminalProgressView::TerminalProgressView()
    : TerminalProgressView(stderr, isatty(STDERR_FILENO) == 1) {}

TerminalProgressView::TerminalProgressView(std::FILE* stream, bool draw, Clock clock, int width)
    : stream_(stream), draw_(draw), clock_(std::move(clock)), width_(width) {}

TerminalProgressView::~TerminalProgressView() {
    if (open_) {
        Close();
    }
}

std::chrono::steady_clock::time_point TerminalProgressView::Now() const {
    return clock_ ? clock_() : std::chrono::steady_clock::now();
}

bool TerminalProgressView::Open(const std::string& caption) {
    caption_ = caption;
    text_[0].clear();
    text_[1].clear();
    percent_ = 0;
    started_ = Now();
    drawn_ = false;
    open_ = true;

    g_interrupted = 0;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    action.sa_flags = SA_RESETHAND;  // the second Ctrl+C is not caught
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < std::size(kCancelSignals); ++i) {
        // A signal the caller ignores stays ignored (a run under nohup outlives its terminal).
        sigaction(kCancelSignals[i], nullptr, &previous_[i]);
        if (previous_[i].sa_handler != SIG_IGN) {
            sigaction(kCancelSignals[i], &action, nullptr);
        }
    }

    Draw(true);
    return true;
}

void TerminalProgressView::SetText(int line, const std::string& text) {
    if ((line == 0 || line == 1) && text_[line] != text) {
        text_[line] = text;
        Draw(false);
    }
}

void TerminalProgressView::SetPercent(int percent) {
    percent = std::clamp(percent, 0, 100);
    if (percent != percent_) {
        percent_ = percent;
        Draw(percent == 100);
    }
}

bool TerminalProgressView::CancelRequested() {
    return g_interrupted != 0;
}

void TerminalProgressView::Close() {
    if (!open_) {
        return;
    }
    open_ = false;
    for (std::size_t i = 0; i < std::size(kCancelSignals); ++i) {
        sigaction(kCancelSignals[i], &previous_[i], nullptr);
    }
    if (drawn_) {
        std::fputc('\n', stream_);
        std::fflush(stream_);
    }
}

std::string TerminalProgressView::Line() const {
    std::string bar(kBarWidth, '-');
    std::fill_n(bar.begin(), percent_ * kBarWidth / 100, '#');
    char numbers[32];
    std::snprintf(numbers, sizeof numbers, " %3d%%", percent_);
    std::string line = caption_ + " [" + bar + "]" + numbers;

    auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(Now() - started_).count();
    if (percent_ > 0 && percent_ < 100 && elapsed >= 1) {
        line += "  faltan " + Duration(elapsed * (100 - percent_) / percent_);
    }
    const std::string& detail = text_[1].empty() ? text_[0] : text_[1];
    if (!detail.empty() && detail != caption_) {
        line += "  " + detail;
    }
    return FitColumns(line, Width() - 1);
}

int TerminalProgressView::Width() const {
    if (width_ > 0) {
        return width_;
    }
    winsize size{};
    if (ioctl(fileno(stream_), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        return size.ws_col;
    }
    return 80;
}

void TerminalProgressView::Draw(bool force) {
    if (!draw_ || !open_) {
        return;
    }
    auto now = Now();
    if (!force && drawn_ && now - last_draw_ < kRedrawInterval) {
        return;
    }
    last_draw_ = now;
    drawn_ = true;
    std::fprintf(stream_, "\r%s\x1b[K", Line().c_str());
    std::fflush(stream_);
}

}  // namespace sonvara
