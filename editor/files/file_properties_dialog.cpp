#include "editor/files/file_properties_dialog.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "audio/sound_time.h"
#include "core/paths.h"
#include "editor/common/dialog_parts.h"
#include "formats/ffmpeg_decode.h"
#include "formats/format_table.h"
#include "formats/sndfile_file.h"
#include "formats/tag_file.h"

namespace sonvara {
namespace {

// "FLAC, PCM de 24 bits": the coding the file's header names, or else the format its name gives;
// "" for a file not saved yet.
QString FormatText(const std::string& path) {
    const FileFormat* format = path.empty() ? nullptr : FileFormatOf(path);
    if (format == nullptr) {
        return "";
    }
    const std::optional<std::string> coding =
        format->decoder == ExternalDecoder::kFfmpeg ? FfmpegCodingOf(path) : SndfileCodingOf(path);
    return coding ? QString::fromStdString(*coding) : QString(format->name);
}

// "Wave, MP3, ...": the formats written with their tags.
QString TaggedFormatNames() {
    QStringList names;
    for (const FileFormat& format : FileFormats()) {
        if (format.writes && format.tags != TagFormat::kNone) {
            names.append(format.name);
        }
    }
    return names.join(", ");
}

}  // namespace

FilePropertiesDlg::FilePropertiesDlg(const std::string& path, const std::string& name,
                                     const LEditDocument& document, QWidget* parent)
    : QDialog(parent) {
    setObjectName("FilePropertiesDlg");
    setWindowTitle("Propiedades del archivo");
    auto* layout = new QVBoxLayout(this);
    auto* facts = new QFormLayout;
    const LCutListAudio& audio = document.Audio();
    const auto add_fact = [&](const char* label, const QString& text, const char* object) {
        auto* value = new QLabel(text, this);
        value->setObjectName(object);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        facts->addRow(label, value);
    };
    add_fact("Archivo:", QString::fromStdString(path.empty() ? name : path), "path");
    if (const QString format = FormatText(path); !format.isEmpty()) {
        add_fact("Formato:", format, "format");
    }
    add_fact("Tasa de muestreo:", QString("%1 Hz").arg(audio.GetSampleRate()), "rate");
    add_fact("Canales:", audio.GetChannels() == 2 ? "Estéreo" : "Mono", "channels");
    add_fact("Duración:",
             QString::fromStdString(
                 LSoundTime(MillisecondsFromFrames(audio.GetLength(), audio.GetSampleRate()))
                     .MillisecondsText()),
             "length");
    layout->addLayout(facts);

    auto* tags = new QFormLayout;
    if (!path.empty() && !HoldsTags(path)) {
        auto* note = new QLabel(
            "El formato de este archivo no guarda etiquetas: se escriben "
            "al guardarlo en uno que las guarda (" +
                TaggedFormatNames() + ").",
            this);
        note->setWordWrap(true);
        note->setObjectName("no_tags");
        tags->addRow(note);
    }
    for (std::size_t i = 0; i < kTagFields.size(); ++i) {
        fields_[i] =
            new QLineEdit(QString::fromStdString(document.Tags().*kTagFields[i].value), this);
        fields_[i]->setObjectName(QString("tag%1").arg(i));
        tags->addRow(QString(kTagFields[i].label) + ":", fields_[i]);
    }
    layout->addLayout(tags);
    AddOkCancelButtons(*this, *layout);
    setMinimumWidth(fontMetrics().averageCharWidth() * 60);
}

FileTags FilePropertiesDlg::Tags() const {
    FileTags tags;
    for (std::size_t i = 0; i < kTagFields.size(); ++i) {
        tags.*kTagFields[i].value = fields_[i]->text().trimmed().toStdString();
    }
    return tags;
}

}  // namespace sonvara
