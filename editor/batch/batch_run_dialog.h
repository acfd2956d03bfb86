#pragma once
// LBatchRunDlg: the window of a batch converter run ("Convertidor de Grupo"). It shows which file
// the run is on and how many remain, the two text lines and the bar of the step at work, and the
// files that failed with their reasons. Its check box says whether a failure ends the run (the
// default) or the run goes on with the rest; it can be changed while the run goes. "Cancelar"
// stops the run at the next block. When the run ends, the window says how it went and stays until
// it is closed. While it runs, the rest of the editor takes no input.

#include <QDialog>

#include "batch/batch_run_process.h"
#include "core/progress_view.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace sonvara {

class LBatchRunDlg : public QDialog, public ProgressView, public BatchRunObserver {
    Q_OBJECT

  public:
    explicit LBatchRunDlg(QWidget* parent);

    // ProgressView
    bool Open(const std::string& caption) override;
    void SetText(int line, const std::string& text) override;
    void SetPercent(int percent) override;
    bool CancelRequested() override { return cancel_; }
    void Close() override;

    // BatchRunObserver
    void FileStarted(std::size_t index, std::size_t count, const std::string& path) override;
    void FileFailed(const BatchFileFailure& failure) override;
    bool GoOnAfterFailure() override;

    // After the run: what `run` did, which ended with `result`.
    void ShowOutcome(const LBatchRun& run, ProcessResult result);

    QLabel* FileLabel() const { return file_; }
    QLabel* RemainingLabel() const { return remaining_; }
    QProgressBar* Bar() const { return bar_; }
    QListWidget* Failures() const { return failures_; }
    QCheckBox* GoOn() const { return go_on_; }
    QPushButton* Button() const { return button_; }

  public slots:
    // While the run goes, closing the window is a cancel.
    void reject() override;

  private:
    QLabel* file_;
    QLabel* remaining_;
    QLabel* lines_[2];
    QProgressBar* bar_;
    QListWidget* failures_;
    QCheckBox* go_on_;
    QPushButton* button_;
    std::size_t count_ = 0;
    bool running_ = false;
    bool cancel_ = false;
};

}  // namespace sonvara
