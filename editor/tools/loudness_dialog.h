#pragma once
// LLoudnessDlg: "Análisis de Sonoridad", the loudness of a file or of its selection: what was
// measured, then the measurements, a line each, in a text the user can select and copy (or copy
// whole with "Copiar").

#include <QDialog>
#include <QString>

class QPlainTextEdit;

namespace sonvara {

struct LoudnessReport;

class LLoudnessDlg : public QDialog {
    Q_OBJECT

  public:
    // `measured` says what the report is of ("song.flac, todo el archivo (0:03:10.50)").
    LLoudnessDlg(const QString& measured, const LoudnessReport& report, QWidget* parent);

    QString Values() const;

  private:
    QPlainTextEdit* values_;
};

}  // namespace sonvara
