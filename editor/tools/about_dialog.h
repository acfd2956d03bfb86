#pragma once
// LAboutDlg ("Acerca Sonvara"): the program's version and build date, and the libraries and
// programs it uses with their licences.

#include <QDialog>
#include <QString>

namespace sonvara {

class LAboutDlg : public QDialog {
    Q_OBJECT

  public:
    explicit LAboutDlg(QWidget* parent);

    // "Versión 0.1.0", as the box shows it.
    static QString VersionText();
    // "Compilado el 2026-12-09" (UTC).
    static QString BuildDateText();
    // The libraries and programs with their licences, as the box shows them (HTML).
    static QString CreditsText();
};

}  // namespace sonvara
