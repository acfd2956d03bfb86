#include "editor/batch/batch_run_dialog.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace sonvara {
namespace {

QLabel* Label(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    return label;
}

}  // namespace

LBatchRunDlg::LBatchRunDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName("LBatchRunDlg");
    setWindowTitle("Convertidor de Grupo");
    auto* layout = new QVBoxLayout(this);
    file_ = Label("file", this);
    file_->setMinimumWidth(file_->fontMetrics().averageCharWidth() * 70);
    remaining_ = Label("remaining", this);
    layout->addWidget(file_);
    layout->addWidget(remaining_);
    for (int line = 0; line < 2; ++line) {
        lines_[line] = Label(line == 0 ? "line0" : "line1", this);
        layout->addWidget(lines_[line]);
    }
    bar_ = new QProgressBar(this);
    bar_->setObjectName("progress");
    bar_->setRange(0, 100);
    bar_->setValue(0);
    layout->addWidget(bar_);
    layout->addWidget(new QLabel("Archivos que fallaron:", this));
    failures_ = new QListWidget(this);
    failures_->setObjectName("failures");
    failures_->setMinimumHeight(failures_->fontMetrics().height() * 5);
    layout->addWidget(failures_, 1);
    go_on_ = new QCheckBox("Seguir con los demás archivos cuando uno falla", this);
    go_on_->setObjectName("goOn");
    layout->addWidget(go_on_);
    button_ = new QPushButton("Cancelar", this);
    button_->setObjectName("cancel");
    layout->addWidget(button_, 0, Qt::AlignRight);
    connect(button_, &QPushButton::clicked, this, [this] {
        if (running_) {
            cancel_ = true;
            button_->setEnabled(false);
        } else {
            accept();
        }
    });
}

bool LBatchRunDlg::Open(const std::string&) {
    if (running_) {
        return false;
    }
    running_ = true;
    cancel_ = false;
    setWindowModality(Qt::ApplicationModal);
    show();
    return true;
}

void LBatchRunDlg::SetText(int line, const std::string& text) {
    if (line == 0 || line == 1) {
        lines_[line]->setText(QString::fromStdString(text));
    }
}

void LBatchRunDlg::SetPercent(int percent) {
    bar_->setValue(percent);
}

void LBatchRunDlg::Close() {
    running_ = false;
}

void LBatchRunDlg::FileStarted(std::size_t index, std::size_t count, const std::string& path) {
    count_ = count;
    file_->setText(QString("Archivo %1 de %2: %3")
                       .arg(index + 1)
                       .arg(count)
                       .arg(QString::fromStdString(path)));
    const std::size_t left = count - index - 1;
    remaining_->setText(left == 0   ? QString("Es el último archivo.")
                        : left == 1 ? QString("Queda 1 archivo después de este.")
                                    : QString("Quedan %1 archivos después de este.").arg(left));
}

void LBatchRunDlg::FileFailed(const BatchFileFailure& failure) {
    failures_->addItem(QFileInfo(QString::fromStdString(failure.file)).fileName() + ": " +
                       QString::fromStdString(failure.reason));
    failures_->item(failures_->count() - 1)->setToolTip(QString::fromStdString(failure.file));
}

bool LBatchRunDlg::GoOnAfterFailure() {
    return go_on_->isChecked();
}

void LBatchRunDlg::ShowOutcome(const LBatchRun& run, ProcessResult result) {
    running_ = false;
    const auto saved = static_cast<int>(run.Outputs().size());
    QString outcome;
    switch (result) {
        case PROCESS_DONE:
            outcome = QString("Listo: %1 de %2 archivos convertidos.").arg(saved).arg(count_);
            break;
        case PROCESS_STOPPED:
            outcome = QString("Cancelado: %1 de %2 archivos convertidos.").arg(saved).arg(count_);
            break;
        case PROCESS_FAILED:
            outcome = QString("Con errores: %1 de %2 archivos convertidos.").arg(saved).arg(count_);
            break;
    }
    file_->setText(outcome);
    remaining_->clear();
    lines_[0]->clear();
    lines_[1]->clear();
    if (result == PROCESS_DONE) {
        bar_->setValue(100);
    }
    go_on_->setEnabled(false);
    button_->setText("Cerrar");
    button_->setObjectName("close");
    button_->setEnabled(true);
}

void LBatchRunDlg::reject() {
    if (running_) {
        cancel_ = true;
        return;
    }
    QDialog::reject();
}

}  // namespace sonvara
