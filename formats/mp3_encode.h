#pragma once
// MP3 saving through the encoder component "mp3kx", the LAME command-line encoder: found through
// the "Path" of the settings section "Components/mp3kx", else as "lame" on $PATH.
//
//  - LMp3EncodeWav runs the encoder from a 16-bit PCM WAV file to an MP3 file and waits for it,
//    keeping the progress view alive: done when the encoder ended well, cancelled when the user
//    cancelled, failed when it is missing, cannot start, ends with an error or runs past its
//    time-out (six minutes). A cancelled or overdue encoder is killed and waited for before its
//    output is deleted; whenever the result is not done, the output is gone.
//  - LMp3EncodeSource writes a source at the rate MP3 encodes it at (Mp3EncodingRate) into a
//    uniquely named WAV file in the temporary folder, runs LMp3EncodeWav on it and deletes it.

#include <chrono>
#include <string>

#include "audio/sound_source.h"
#include "core/progress_dialog.h"
#include "formats/format_prompts.h"

namespace sonvara {

inline constexpr const char* kMp3EncoderComponent = "mp3kx";
inline constexpr const char* kMp3EncoderProgram = "lame";
inline constexpr std::chrono::milliseconds kMp3EncodeTimeout{360000};

// What the user is told when the encoder cannot be found or started.
std::string Mp3EncoderMissingMessage();

class LMp3EncodeWav : public LProgressDialog {
  public:
    // `rate`: the sample rate the MP3 is written at (the WAV's own, one MP3 knows).
    // `shown_name`: the file name the progress view shows; the output's own name when empty.
    LMp3EncodeWav(std::string input_wav, std::string output_mp3, const Mp3EncoderSettings& settings,
                  std::int32_t rate, std::chrono::milliseconds timeout = kMp3EncodeTimeout,
                  std::string shown_name = {});

  protected:
    ProcessResult Body() override;

  private:
    std::string input_;
    std::string output_;
    Mp3EncoderSettings settings_;
    std::int32_t rate_;
    std::chrono::milliseconds timeout_;
    std::string shown_name_;
};

class LMp3EncodeSource : public LProgressDialog {
  public:
    LMp3EncodeSource(LSoundSourceRef source, std::string output_mp3,
                     const Mp3EncoderSettings& settings,
                     std::chrono::milliseconds timeout = kMp3EncodeTimeout,
                     std::string shown_name = {});

  protected:
    ProcessResult Body() override;

  private:
    LSoundSourceRef source_;
    std::string output_;
    Mp3EncoderSettings settings_;
    std::chrono::milliseconds timeout_;
    std::string shown_name_;
};

}  // namespace sonvara
