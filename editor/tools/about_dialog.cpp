#include "editor/tools/about_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>
#include <QtGlobal>

#include "editor/tools/build_date.h"

namespace sonvara {
namespace {

struct Credit {
    const char* name;
    const char* use;
    const char* licence;
};

// What the editor links, and the programs it starts when they are installed. FFmpeg is linked
// by the decoder components only; Debian builds it with its GPL parts enabled.
constexpr Credit kLibraries[] = {
    {"Qt %QT%", "ventanas, diálogos y portapapeles", "GNU LGPL versión 3"},
    {"ALSA (libasound)", "reproducción, grabación y mezclador", "GNU LGPL versión 2.1 o posterior"},
    {"FFmpeg (libavformat, libavcodec, libswresample, libavutil)",
     "componentes de lectura de WMA, DSS y RealAudio",
     "GNU LGPL versión 2.1 o posterior; la compilación de Debian, GNU GPL versión 2 o posterior"},
    {"Biblioteca estándar de C++ de GCC (libstdc++)", "",
     "GNU GPL versión 3 con la excepción de la biblioteca de ejecución de GCC"},
    {"Biblioteca de C de GNU (glibc)", "", "GNU LGPL versión 2.1 o posterior"},
};
constexpr Credit kPrograms[] = {
    {"LAME", "guardar en MP3", "GNU LGPL versión 2 o posterior"},
    {"eSpeak NG", "Texto a Palabras", "GNU GPL versión 3 o posterior"},
    {"xdg-utils", "Enviar... y Ayuda", "licencia MIT"},
};

template <std::size_t N>
QString CreditList(const Credit (&credits)[N]) {
    QString list = "<ul>";
    for (const Credit& credit : credits) {
        QString name = QString::fromUtf8(credit.name).toHtmlEscaped();
        name.replace("%QT%", QString::fromLatin1(qVersion()));
        list += "<li><b>" + name + "</b>";
        if (credit.use[0] != '\0') {
            list += " (" + QString::fromUtf8(credit.use).toHtmlEscaped() + ")";
        }
        list += ": " + QString::fromUtf8(credit.licence).toHtmlEscaped() + "</li>";
    }
    return list + "</ul>";
}

}  // namespace

QString LAboutDlg::VersionText() {
    return QString("Versión %1").arg(SONVARA_VERSION);
}

QString LAboutDlg::BuildDateText() {
    return QString("Compilado el %1").arg(SONVARA_BUILD_DATE);
}

QString LAboutDlg::CreditsText() {
    return "<p>Bibliotecas que usa:</p>" + CreditList(kLibraries) +
           "<p>Programas que usa cuando están instalados:</p>" + CreditList(kPrograms);
}

LAboutDlg::LAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("LAboutDlg");
    setWindowTitle("Acerca Sonvara");
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel("<h2>Sonvara</h2>", this);
    title->setObjectName("title");
    layout->addWidget(title);
    auto* version = new QLabel(
        VersionText() + "<br>" + BuildDateText() + "<br>Editor de sonido para Linux.", this);
    version->setObjectName("version");
    version->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(version);
    auto* credits = new QTextBrowser(this);
    credits->setObjectName("credits");
    credits->setHtml(CreditsText());
    credits->setOpenLinks(false);
    // The whole list without scrolling: as tall as its text laid out at the box's width.
    const int width = credits->fontMetrics().horizontalAdvance('x') * 72;
    QTextDocument laid_out;
    laid_out.setDefaultFont(credits->font());
    laid_out.setHtml(CreditsText());
    laid_out.setTextWidth(width);
    const int frame = 2 * credits->frameWidth();
    credits->setMinimumSize(width + frame, static_cast<int>(laid_out.size().height()) + frame);
    layout->addWidget(credits, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText("Cerrar");
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

}  // namespace sonvara
