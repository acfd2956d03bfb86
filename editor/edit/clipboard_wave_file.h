#pragma once
// The reading side of a paste from the system clipboard: ClipboardWaveFile turns what another
// program put there into a WAV file the load process can read.
//
//  - WAV bytes ("audio/wav" or "audio/x-wav", from any program) are written to a temporary file
//    in the data folder, deleted with this object; a WAV whose offered size is too large is
//    refused before its bytes are asked for;
//  - a URI list (what a file manager copies) gives the first file's own path, when it is a local
//    ".wav" file.
//
// Either way the file is opened with the WAV reader before it is offered, so a damaged WAV is
// refused here with a message, before a paste records anything.

#include <QMimeData>
#include <QTemporaryFile>

#include <memory>
#include <string>

#include "editor/edit/clipboard_wave_data.h"

namespace sonvara {

class ClipboardWaveFile {
  public:
    // The most WAV bytes accepted from the clipboard.
    static constexpr qint64 kMaxBytes = kMaxClipboardWaveBytes;

    // What `data` offers (it may be null): a usable file, or a refusal with its reason.
    static ClipboardWaveFile Read(const QMimeData* data);

    bool IsValid() const { return !path_.empty(); }
    // The WAV file to load; "" when refused.
    const std::string& Path() const { return path_; }
    // Why the clipboard was refused, in words for the user; "" when valid.
    const std::string& Error() const { return error_; }

  private:
    static ClipboardWaveFile Refused(std::string error);
    static ClipboardWaveFile FromBytes(const QByteArray& bytes);
    static ClipboardWaveFile FromUrl(const QUrl& url);
    // Keeps this file when the WAV reader can use it, else refuses it with `damaged`.
    ClipboardWaveFile Checked(const std::string& damaged) &&;

    std::unique_ptr<QTemporaryFile> written_;  // the file made from bytes
    std::string path_;
    std::string error_;
};

}  // namespace sonvara
