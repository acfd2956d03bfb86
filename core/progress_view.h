#pragma once
// What a running process shows: a caption, two lines of text, a bar from 0 to 100 and a way to
// cancel. The editor shows a modal dialog (and disables its frame while it is open); the batch
// tool draws one line on the terminal; tests use SilentProgressView. Interface thread only.

#include <string>

namespace sonvara {

class ProgressView {
  public:
    virtual ~ProgressView() = default;

    // Shows the view; false when it cannot be shown (the process then does not run).
    virtual bool Open(const std::string& caption) = 0;
    // Line 0 or 1.
    virtual void SetText(int line, const std::string& text) = 0;
    virtual void SetPercent(int percent) = 0;
    // Asked after pending messages were pumped: has the user cancelled?
    virtual bool CancelRequested() = 0;
    virtual void Close() = 0;
};

// Shows nothing. Cancel() makes the next CancelRequested() true, which lets tests and callers
// without a display stop a process.
class SilentProgressView : public ProgressView {
  public:
    bool Open(const std::string& caption) override;
    void SetText(int line, const std::string& text) override;
    void SetPercent(int percent) override { percent_ = percent; }
    bool CancelRequested() override { return cancel_; }
    void Close() override { open_ = false; }

    void Cancel() { cancel_ = true; }
    bool IsOpen() const { return open_; }
    int Percent() const { return percent_; }
    const std::string& Caption() const { return caption_; }
    const std::string& Text(int line) const { return text_[line == 0 ? 0 : 1]; }

  private:
    bool open_ = false;
    bool cancel_ = false;
    int percent_ = 0;
    std::string caption_;
    std::string text_[2];
};

}  // namespace sonvara
