#include "editor/tools/fft_dialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>

#include "core/settings.h"
#include "editor/common/dialog_parts.h"
#include "editor_model/time_fields.h"
#include "view/frequency_window.h"

namespace sonvara {

LSVFFTDlg::LSVFFTDlg(const Analysis& first, Source source, QWidget* parent)
    : QDialog(parent), source_(std::move(source)) {
    setObjectName("LSVFFTDlg");
    setWindowTitle("Análisis de Frecuencia(FFT)");
    auto* layout = new QVBoxLayout(this);
    graph_ = new LFrequencyWindow(this);
    graph_->setMinimumSize(320, 160);
    layout->addWidget(graph_, 1);

    auto* row = new QHBoxLayout;
    four_times_ = new QCheckBox("Cuatro veces más ancho (la cuarta parte más baja)", this);
    four_times_->setObjectName("FreqFourTimes");
    four_times_->setChecked(ReadBool("Settings", "FreqFourTimes", false));
    graph_->SetFourTimes(four_times_->isChecked());
    row->addWidget(four_times_);
    row->addStretch(1);
    place_ = new QLabel(this);
    place_->setObjectName("place");
    row->addWidget(place_);
    layout->addLayout(row);
    AddOkCancelButtons(*this, *layout);

    connect(four_times_, &QCheckBox::toggled, graph_, &LFrequencyWindow::SetFourTimes);
    connect(graph_, &LFrequencyWindow::pointerMoved, this, &LSVFFTDlg::ShowPointer);
    Show(first);

    timer_ = new QTimer(this);
    timer_->setInterval(kFollowMilliseconds);
    connect(timer_, &QTimer::timeout, this, &LSVFFTDlg::Follow);
    timer_->start();
}

QString LSVFFTDlg::PlaceText() const {
    return place_->text();
}

void LSVFFTDlg::Follow() {
    if (!source_) {
        return;
    }
    const std::optional<Analysis> analysis = source_();
    graph_->setEnabled(analysis.has_value());
    if (analysis) {
        Show(*analysis);
    }
}

void LSVFFTDlg::Show(const Analysis& analysis) {
    shown_ = analysis;
    graph_->SetSpectrum(analysis.levels, analysis.sample_rate);
    LEditPositions positions;
    positions.cursor = analysis.frame;
    place_->setText(
        QString("Desde %1")
            .arg(QString::fromStdString(MakeTimeFields(positions, analysis.sample_rate).cursor)));
}

void LSVFFTDlg::ShowPointer(int band, int level) {
    char text[64];
    std::snprintf(text, sizeof text, "%d Hz, %d db", BandFrequency(band, shown_.sample_rate),
                  level);
    graph_->SetCaption(QString::fromUtf8(text));
}

void LSVFFTDlg::accept() {
    // A value that cannot be stored is only not offered next time.
    WriteBool("Settings", "FreqFourTimes", four_times_->isChecked());
    QDialog::accept();
}

}  // namespace sonvara
