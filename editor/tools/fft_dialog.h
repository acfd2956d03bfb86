#pragma once
// LSVFFTDlg: the frequency analysis window ("Análisis de Frecuencia(FFT)"). It shows the spectrum
// of 4096 frames of a file in an LFrequencyWindow, with the pointer's frequency and level as the
// graph's caption ("%d Hz, %d db"), and a check box for the four-times mode (the lowest quarter of
// the bands), which starts as "FreqFourTimes" in [Settings] says and is stored there by OK.
//
// The window is not modal: it follows the file while it stays open. Every kFollowMilliseconds it
// asks its source for the analysis to show (the current file's at its cursor, or where it is
// heard while it plays); no analysis (no file) disables the graph.

#include <QDialog>
#include <cstdint>
#include <functional>
#include <optional>

#include "effects/frequency_analysis.h"

class QCheckBox;
class QLabel;
class QTimer;

namespace sonvara {

class LFrequencyWindow;

class LSVFFTDlg : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kFollowMilliseconds = 50;

    struct Analysis {
        std::int32_t sample_rate = 44100;
        std::int32_t frame = 0;  // the first frame analysed
        SpectrumLevels levels{};
    };
    using Source = std::function<std::optional<Analysis>()>;

    LSVFFTDlg(const Analysis& first, Source source, QWidget* parent);

    LFrequencyWindow* Graph() const { return graph_; }
    QCheckBox* FourTimesBox() const { return four_times_; }
    // "Desde h:mm:ss.hh": where the analysed frames start.
    QString PlaceText() const;
    // Asks the source now.
    void Follow();

  public slots:
    void accept() override;

  private:
    void Show(const Analysis& analysis);
    void ShowPointer(int band, int level);

    Source source_;
    Analysis shown_;
    LFrequencyWindow* graph_;
    QCheckBox* four_times_;
    QLabel* place_;
    QTimer* timer_;
};

}  // namespace sonvara
