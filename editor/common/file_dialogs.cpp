#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>

#include "core/settings.h"
#include "editor/common/file_questions.h"

namespace sonvara {
namespace {

struct FileFormat {
    const char* name;
    const char* extensions;  // lower case, separated by spaces
};
constexpr FileFormat kOpenFormats[] = {{"Wave", "wav"},
                                       {"MP3", "mp3"},
                                       {"GSM 6.10", "gsm"},
                                       {"VOX", "vox"},
                                       {"RealAudio", "ra ram rm"},
                                       {"Raw", "raw"},
                                       {"AIFF", "aif aiff"},
                                       {"Sun AU", "au"},
                                       {"DSS", "dss"},
                                       {"Windows Media Audio", "wma"}};
constexpr FileFormat kSaveFormats[] = {{"Wave", "wav"}, {"MP3", "mp3"}, {"GSM 6.10", "gsm"},
                                       {"VOX", "vox"},  {"Raw", "raw"}, {"AIFF", "aif"},
                                       {"Sun AU", "au"}};
// Room for the names, sizes and dates of the files without cutting them.
constexpr QSize kFileDialogSize(860, 540);

// "name (*.ext *.EXT ...)" for `extensions`; file dialogs match the case.
QString Patterns(const QString& extensions) {
    QStringList patterns;
    for (const QString& extension : extensions.split(' ')) {
        patterns << "*." + extension << "*." + extension.toUpper();
    }
    return patterns.join(' ');
}

// All the formats together, then one filter per format.
template <std::size_t N>
QString AudioFilter(const char* all, const FileFormat (&formats)[N]) {
    QStringList every;
    QStringList filters;
    for (const FileFormat& format : formats) {
        every << format.extensions;
        filters << QString("%1 (%2)").arg(format.name, Patterns(format.extensions));
    }
    filters.prepend(QString("%1 (%2)").arg(all, Patterns(every.join(' '))));
    return filters.join(";;");
}

// The folder a file dialog starts in and stores back, as one settings value.
QString StoredFolder(const char* name) {
    return QString::fromStdString(ReadString("Settings", name, ""));
}
void StoreFolder(const char* name, const QString& path) {
    WriteString("Settings", name, QFileInfo(path).absolutePath().toStdString());
}

}  // namespace

QStringList FileDialogs::AskOpenFiles() {
    QFileDialog dialog(parent_, "Abrir Archivo de Audio", StoredFolder("OpenFileDir"),
                       AudioFilter("Archivos de audio", kOpenFormats));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.resize(kFileDialogSize);
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    const QStringList paths = dialog.selectedFiles();
    if (!paths.isEmpty()) {
        StoreFolder("OpenFileDir", paths.front());
    }
    return paths;
}

QString FileDialogs::AskAudioFile(const char* folder) {
    QFileDialog dialog(parent_, "Open Audio Files", StoredFolder(folder),
                       AudioFilter("Archivos de audio", kOpenFormats));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.resize(kFileDialogSize);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    const QString path = dialog.selectedFiles().front();
    StoreFolder(folder, path);
    return path;
}

QString FileDialogs::AskSaveAsPath(const QString& current) {
    QString folder = StoredFolder("SaveAsDir");
    const QString start = folder.isEmpty() ? current : folder + "/" + QFileInfo(current).fileName();
    return AskAudioSavePath("Guardar Archivo Audio como", "SaveAsDir", start, "Archivos de audio");
}

QString FileDialogs::AskRegionPath() {
    return AskAudioSavePath("Guardar la región como", "SaveRegionDir",
                            StoredFolder("SaveRegionDir"), "Audio Files");
}

QString FileDialogs::AskAudioSavePath(const QString& title, const char* folder,
                                      const QString& start, const char* filter) {
    QFileDialog dialog(parent_, title, start, AudioFilter(filter, kSaveFormats));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.resize(kFileDialogSize);
    dialog.setDefaultSuffix("wav");
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    const QString path = dialog.selectedFiles().front();
    StoreFolder(folder, path);
    return path;
}

QString FileDialogs::AskProjectPath(bool save) {
    // The open dialog's folder is kept in "StoreValues", the save dialog's in "Settings".
    const char* section = save ? "Settings" : "StoreValues";
    const char* folder = save ? "SaveProjectAsDir" : "OpenProjectDir";
    QFileDialog dialog(parent_, save ? "Guardar el Proyecto como" : "Abrir Proyecto",
                       QString::fromStdString(ReadString(section, folder, "")),
                       "Sonvara Project (.svp) (*.svp)");
    dialog.resize(kFileDialogSize);
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix("svp");
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    const QString path = dialog.selectedFiles().front();
    WriteString(section, folder, QFileInfo(path).absolutePath().toStdString());
    return path;
}

std::optional<std::string> FileDialogs::AskName(const QString& title, const QString& prompt,
                                                const QString& proposed) {
    QInputDialog dialog(parent_);
    dialog.setObjectName("LTextEditDlg");
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(proposed);
    dialog.setOkButtonText("Aceptar");
    dialog.setCancelButtonText("Cancelar");
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.textValue().toStdString();
}

}  // namespace sonvara
