#pragma once
// The system clipboard's side of a copy: ClipboardWaveData offers "audio/wav" and "audio/x-wav"
// without data, and renders a 16-bit PCM WAV of its sound only when a program asks for one of
// them (QMimeData::retrieveData, on the interface thread). A copy of a long selection thus costs
// nothing until somebody pastes it.
//
// The rendering writes the WAV through the ordinary WAV writer into a temporary file in the data
// folder, reads the file back and deletes it. It shows nothing and cannot be cancelled: it runs
// inside the toolkit's answer to the other program, where pumping events again is unsafe. When it
// fails the request is answered without data.

#include <QByteArray>
#include <QMimeData>
#include <QStringList>

#include <functional>
#include <optional>

#include "audio/sound_source.h"
#include "document/cut_list_audio.h"

namespace sonvara {

// The two names other programs use for WAV data.
inline const QStringList kWaveMimeTypes = {"audio/wav", "audio/x-wav"};

// A 16-bit PCM WAV file of the whole of `source`, at its rate and channels, as bytes; nothing
// when the source is in error or the file cannot be written or read back.
std::optional<QByteArray> RenderWaveBytes(const LSoundSourceRef& source);

class ClipboardWaveData : public QMimeData {
    Q_OBJECT

  public:
    // `make_source` is called once, on the first request, for the sound to render.
    explicit ClipboardWaveData(std::function<LSoundSourceRef()> make_source);
    // Renders a snapshot of `audio` taken now, so that later edits of the list do not change
    // what the clipboard holds.
    static ClipboardWaveData* FromCutList(const LCutListAudio& audio);

    QStringList formats() const override;
    bool hasFormat(const QString& mime_type) const override;

  protected:
    QVariant retrieveData(const QString& mime_type, QMetaType type) const override;

  private:
    std::function<LSoundSourceRef()> make_source_;
    // The first successful rendering answers every later request (both names, several pastes).
    mutable std::optional<QByteArray> rendered_;
};

}  // namespace sonvara
