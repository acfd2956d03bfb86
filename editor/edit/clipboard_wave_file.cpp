#include "editor/edit/clipboard_wave_file.h"

#include <QFileInfo>
#include <QUrl>

#include "audio/wav/wave_file.h"
#include "core/folders.h"
#include "editor/edit/clipboard_wave_data.h"

namespace sonvara {

namespace {

const char kNoAudio[] = "El portapapeles no contiene audio WAV.";
const char kDamagedBytes[] = "El audio del portapapeles no es un archivo WAV válido.";
const char kTooLarge[] = "El audio del portapapeles es demasiado grande (más de 1 GB).";

}  // namespace

ClipboardWaveFile ClipboardWaveFile::Read(const QMimeData* data) {
    if (data == nullptr) {
        return Refused(kNoAudio);
    }
    if (data->hasFormat(kWaveSizeMimeType) &&
        data->data(kWaveSizeMimeType).toLongLong() > kMaxBytes) {
        return Refused(kTooLarge);
    }
    for (const QString& type : kWaveMimeTypes) {
        if (data->hasFormat(type)) {
            return FromBytes(data->data(type));
        }
    }
    if (data->hasUrls() && !data->urls().isEmpty()) {
        return FromUrl(data->urls().front());
    }
    return Refused(kNoAudio);
}

ClipboardWaveFile ClipboardWaveFile::Refused(std::string error) {
    ClipboardWaveFile file;
    file.error_ = std::move(error);
    return file;
}

ClipboardWaveFile ClipboardWaveFile::FromBytes(const QByteArray& bytes) {
    if (bytes.isEmpty()) {
        return Refused(kNoAudio);
    }
    if (bytes.size() > kMaxBytes) {
        return Refused(kTooLarge);
    }
    const char kCannotWrite[] =
        "No se puede escribir el audio del portapapeles en la carpeta de datos.";
    const std::string folder = GetFolder("Current");
    if (folder.empty()) {
        return Refused(kCannotWrite);
    }
    ClipboardWaveFile file;
    file.written_ =
        std::make_unique<QTemporaryFile>(QString::fromStdString(folder) + "/clipboard-XXXXXX.wav");
    if (!file.written_->open() || file.written_->write(bytes) != bytes.size() ||
        !file.written_->flush()) {
        return Refused(kCannotWrite);
    }
    file.written_->close();
    file.path_ = file.written_->fileName().toStdString();
    return std::move(file).Checked(kDamagedBytes);
}

ClipboardWaveFile ClipboardWaveFile::FromUrl(const QUrl& url) {
    const QFileInfo info(url.toLocalFile());
    if (!url.isLocalFile() || !info.isFile() || info.suffix().compare("wav", Qt::CaseInsensitive)) {
        return Refused("El portapapeles no nombra un archivo WAV de este equipo.");
    }
    ClipboardWaveFile file;
    file.path_ = info.absoluteFilePath().toStdString();
    const std::string damaged = "El archivo \"" + file.path_ + "\" no es un archivo WAV válido.";
    return std::move(file).Checked(damaged);
}

ClipboardWaveFile ClipboardWaveFile::Checked(const std::string& damaged) && {
    if (LWaveFile::OpenSource(path_)->IsError()) {
        return Refused(damaged);
    }
    return std::move(*this);
}

}  // namespace sonvara
