#pragma once
// The system clipboard's side of a copy: ClipboardWaveData offers "audio/wav" and "audio/x-wav"
// without data, and renders a 16-bit PCM WAV of its sound only when a program asks for one of
// them (QMimeData::retrieveData, on the interface thread). A copy of a long selection thus costs
// nothing until somebody pastes it.
//
// The rendering writes the WAV through the ordinary WAV writer into a temporary file in the data
// folder, reads the file back and deletes it. It shows nothing and cannot be cancelled: it runs
// inside the toolkit's answer to the other program, where pumping events again is unsafe. So it
// is bounded: a sound whose WAV would pass kMaxClipboardWaveBytes is not rendered at all, and the
// request is answered without data at once, as it is when the rendering fails. The WAV's size
// is offered too (kWaveSizeMimeType), so that a reader can refuse a sound too long before the
// toolkit hands it the whole of it.

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
// The bytes of the WAV on offer, as decimal text.
inline const QString kWaveSizeMimeType = "application/x-sonvara-wave-size";
// The most WAV bytes the clipboard carries, either way: about 100 minutes of stereo 16-bit audio
// at 44100 Hz, well inside what the 32-bit sizes of a WAV file can describe.
inline constexpr qint64 kMaxClipboardWaveBytes = qint64{1} << 30;

// A 16-bit PCM WAV file of the whole of `source`, at its rate and channels, as bytes; nothing
// when the source is in error or the file cannot be written or read back.
std::optional<QByteArray> RenderWaveBytes(const LSoundSourceRef& source);

class ClipboardWaveData : public QMimeData {
    Q_OBJECT

  public:
    // `make_source` is called once, on the first request, for the sound to offer.
    explicit ClipboardWaveData(std::function<LSoundSourceRef()> make_source);
    // Renders a snapshot of `audio` taken now, so that later edits of the list do not change
    // what the clipboard holds.
    static ClipboardWaveData* FromCutList(const LCutListAudio& audio);

    QStringList formats() const override;
    bool hasFormat(const QString& mime_type) const override;

  protected:
    QVariant retrieveData(const QString& mime_type, QMetaType type) const override;

  private:
    // The sound, made on the first request.
    const LSoundSourceRef& Source() const;
    // The bytes a WAV of the sound takes.
    qint64 WaveBytes() const;

    std::function<LSoundSourceRef()> make_source_;
    mutable std::optional<LSoundSourceRef> source_;
    // The first successful rendering answers every later request (both names, several pastes).
    mutable std::optional<QByteArray> rendered_;
};

}  // namespace sonvara
