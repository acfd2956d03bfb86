#pragma once
// The formats read through FFmpeg's libraries in this process (MP4/M4A and ADTS AAC, WebM and
// Matroska audio): the file's first audio stream decoded into a 16-bit PCM WAV file at `output`,
// which the WAV reader then reads (decoded_file.h names that file and deletes it afterwards), with
// progress from the length the file states and a cancel between packets.
//
// Results: PROCESS_DONE when the WAV is complete; PROCESS_STOPPED after a cancel; PROCESS_FAILED,
// with a message saying why, when the file holds no audio FFmpeg decodes or the WAV cannot be
// written.

#include <optional>
#include <string>

#include "components/decode_processes.h"

namespace sonvara {

// "MPEG-4 Audio, AAC": the format of `path` (by its extension) and the coding of its first audio
// stream as FFmpeg's decoder names it; nothing when FFmpeg finds no audio in it.
std::optional<std::string> FfmpegCodingOf(const std::string& path);

class LFfmpegDecode final : public DecodeProcess {
  public:
    using DecodeProcess::DecodeProcess;

  protected:
    ProcessResult Body() override;
};

}  // namespace sonvara
