#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>

#include "core/settings.h"
#include "editor/common/file_questions.h"
#include "formats/format_table.h"

namespace sonvara {
namespace {

// Room for the names, sizes and dates of the files without cutting them.
constexpr QSize kFileDialogSize(860, 540);

enum class Use { kOpen, kSave };

// "*.ext *.EXT ..." for the format's extensions (every one to open, the written one to save);
// file dialogs match the case.
QStringList Patterns(const FileFormat& format, Use use) {
    QStringList patterns;
    for (const char* extension : format.extensions) {
        if (extension != nullptr) {
            patterns << QString("*.") + extension << QString("*.") + QString(extension).toUpper();
        }
        if (use == Use::kSave) {
            break;
        }
    }
    return patterns;
}

// All the formats together, then one filter per format: the formats read, or those written.
QString AudioFilter(const char* all, Use use) {
    QStringList every;
    QStringList filters;
    for (const FileFormat& format : FileFormats()) {
        if (use == Use::kSave && !format.writes) {
            continue;
        }
        const QStringList patterns = Patterns(format, use);
        every << patterns;
        filters << QString("%1 (%2)").arg(format.name, patterns.join(' '));
    }
    filters.prepend(QString("%1 (%2)").arg(all, every.join(' ')));
    return filters.join(";;");
}

}  // namespace

QString ReadableAudioPatterns() {
    QStringList every;
    for (const FileFormat& format : FileFormats()) {
        every << Patterns(format, Use::kOpen);
    }
    return every.join(' ');
}

namespace {

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
                       AudioFilter("Archivos de audio", Use::kOpen));
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
                       AudioFilter("Archivos de audio", Use::kOpen));
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
    QFileDialog dialog(parent_, title, start, AudioFilter(filter, Use::kSave));
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
