#include "editor/edit/clipboard_wave_data.h"

#include <QFile>
#include <QTemporaryFile>

#include <string>

#include "audio/source_to_sink.h"
#include "audio/wav/wave_file.h"
#include "core/folders.h"
#include "core/message_loop.h"
#include "core/progress_view.h"
#include "document/cut_list_reader.h"

namespace sonvara {

namespace {

// The rendering asks nothing; a failure it would report is answered with no data instead.
class NoPrompts : public Prompts {
  public:
    PromptAnswer Ask(const PromptMessage& /*message*/) override { return PromptAnswer::kCancel; }
};

}  // namespace

std::optional<QByteArray> RenderWaveBytes(const LSoundSourceRef& source) {
    const std::string folder = GetFolder("Current");
    if (source.Get() == nullptr || source->IsError() || folder.empty()) {
        return std::nullopt;
    }
    QTemporaryFile file(QString::fromStdString(folder) + "/clipboard-XXXXXX.wav");
    if (!file.open()) {
        return std::nullopt;
    }
    const std::string path = file.fileName().toStdString();
    file.close();  // the writer opens it by name; the object still deletes it
    {
        LSoundSinkRef sink =
            LWaveFile::OpenSinkPCM(path, source->GetSampleRate(), 0, 16, source->GetChannels());
        QueueMessageLoop loop;
        SilentProgressView view;
        NoPrompts prompts;
        ProcessHost host{loop, view, prompts};
        LPRSourceToSink save("Saving to clipboard", source, sink);
        if (save.Run(host) != PROCESS_DONE) {
            return std::nullopt;
        }
    }
    QFile written(QString::fromStdString(path));
    if (!written.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    QByteArray bytes = written.readAll();
    if (bytes.size() != written.size()) {
        return std::nullopt;
    }
    return bytes;
}

ClipboardWaveData::ClipboardWaveData(std::function<LSoundSourceRef()> make_source)
    : make_source_(std::move(make_source)) {}

ClipboardWaveData* ClipboardWaveData::FromCutList(const LCutListAudio& audio) {
    return new ClipboardWaveData(
        [snapshot = audio] { return LSoundSourceRef(new LSRCCutListAudio(snapshot)); });
}

QStringList ClipboardWaveData::formats() const {
    return kWaveMimeTypes + QStringList{kWaveSizeMimeType};
}

bool ClipboardWaveData::hasFormat(const QString& mime_type) const {
    return formats().contains(mime_type);
}

const LSoundSourceRef& ClipboardWaveData::Source() const {
    if (!source_) {
        source_ = make_source_();
    }
    return *source_;
}

qint64 ClipboardWaveData::WaveBytes() const {
    const LSoundSourceRef& source = Source();
    if (source->IsError()) {
        return 0;
    }
    // The WAV writer's header: RIFF, a format chunk with its extra size field, the data chunk's.
    constexpr qint64 kHeaderBytes = 46;
    return kHeaderBytes + qint64{source->GetLength()} * source->GetChannels() * 2;
}

QVariant ClipboardWaveData::retrieveData(const QString& mime_type, QMetaType type) const {
    if (mime_type == kWaveSizeMimeType) {
        return QByteArray::number(WaveBytes());
    }
    if (!kWaveMimeTypes.contains(mime_type)) {
        return QMimeData::retrieveData(mime_type, type);
    }
    if (!rendered_ && WaveBytes() <= kMaxClipboardWaveBytes) {
        rendered_ = RenderWaveBytes(Source());
    }
    return rendered_ ? QVariant(*rendered_) : QVariant();
}

}  // namespace sonvara
