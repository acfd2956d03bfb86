#pragma once
// The decoder processes: each turns a file that only a separately installed component reads into
// a 16-bit PCM WAV file at `output`, which the WAV reader then reads (formats/decoded_file.h names
// that file and deletes it afterwards).
//
// Results: PROCESS_DONE when the WAV is complete; PROCESS_STOPPED after a cancel (what was written
// is incomplete and is not read); PROCESS_FAILED when the component is missing (with a message
// naming it), the file cannot be decoded or the WAV cannot be written. Whatever a decode starts (a
// decoder program, a library, an engine and its player) has ended when Body returns, on every
// path.

#include <chrono>
#include <string>
#include <utility>

#include "core/progress_dialog.h"

namespace sonvara {

class DecodeProcess : public LProgressDialog {
  public:
    DecodeProcess(std::string input, std::string output)
        : LProgressDialog("Sonvara"), input_(std::move(input)), output_(std::move(output)) {}

  protected:
    const std::string& Input() const { return input_; }
    const std::string& Output() const { return output_; }

  private:
    std::string input_;
    std::string output_;
};

// Windows Media Audio through the "wmakx" component, a program that is given the input file and
// the WAV file to write (sonvara-wmakx IN OUT) and ends with status 0 when it wrote it. The
// process waits for it with a progress that creeps towards the end; a cancel kills the decoder and
// waits for it, so nobody reads a half-written file.
class LWMADecode final : public DecodeProcess {
  public:
    using DecodeProcess::DecodeProcess;

  protected:
    ProcessResult Body() override;
};

// DSS dictation files through the DSS decoder library (dss_entry_points.h, component "dsskx").
// The process writes the mono WAV itself from the library's blocks: 8000 Hz for quality 2 files,
// 11025 Hz for the others. The library is unloaded when the decode ends. A library that lacks an
// entry point or cannot initialise fails the decode without a message.
class LDSSDecode final : public DecodeProcess {
  public:
    using DecodeProcess::DecodeProcess;

  protected:
    ProcessResult Body() override;
};

// RealAudio (".ra", ".ram", ".rm") through the RealAudio engine library (real_audio_engine.h,
// component "realaudio"). The engine plays the file into an RMAAudioSink, which writes the WAV
// file. The library, once loaded, stays loaded for the rest of the run. A cancel also stops the
// engine in the middle of opening or reading the clip.
class LReadAudioDecode final : public DecodeProcess {
  public:
    using DecodeProcess::DecodeProcess;

  protected:
    ProcessResult Body() override;

  private:
    // The engine's interrupt check: CheckCancel, at most once every few milliseconds, since the
    // engine asks before each read of the file; the answer holds until the next look.
    static bool EngineInterrupt(void* process);

    std::chrono::steady_clock::time_point last_check_{};
    bool interrupted_ = false;
};

}  // namespace sonvara
