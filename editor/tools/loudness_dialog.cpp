#include "editor/tools/loudness_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "effects/loudness_meter.h"

namespace sonvara {

LLoudnessDlg::LLoudnessDlg(const QString& measured, const LoudnessReport& report, QWidget* parent)
    : QDialog(parent) {
    setObjectName("LLoudnessDlg");
    setWindowTitle("Análisis de Sonoridad");
    auto* layout = new QVBoxLayout(this);
    auto* what = new QLabel(measured, this);
    what->setObjectName("measured");
    layout->addWidget(what);

    values_ = new QPlainTextEdit(this);
    values_->setObjectName("values");
    values_->setReadOnly(true);
    values_->setPlainText(QString::fromStdString(LoudnessText(report)).trimmed());
    // Every line whole, without scrolling.
    const QFontMetrics metrics(values_->font());
    int widest = 0;
    const QStringList lines = values_->toPlainText().split('\n');
    for (const QString& line : lines) {
        widest = std::max(widest, metrics.horizontalAdvance(line));
    }
    values_->setMinimumWidth(widest + 4 * metrics.averageCharWidth());
    values_->setFixedHeight((static_cast<int>(lines.size()) + 1) * metrics.lineSpacing());
    values_->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(values_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* copy = buttons->addButton("&Copiar", QDialogButtonBox::ActionRole);
    copy->setObjectName("copy");
    connect(copy, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(Values()); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QString LLoudnessDlg::Values() const {
    return values_->toPlainText();
}

}  // namespace sonvara
