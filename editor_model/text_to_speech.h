#pragma once
// Text to speech: the speech synthesizer espeak-ng, run as a separate program with an argument
// vector, reads a text aloud into a WAV file that the editor then opens as a new file. The text
// goes to the synthesizer through a file of its own, never on its command line, so that no text
// is ever taken for an option. The synthesizer is found through the "Path" of the settings
// section "Components/espeak-ng", else on the search path.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "core/progress_dialog.h"
#include "core/result.h"

namespace sonvara {

inline constexpr char kSpeechComponent[] = "espeak-ng";
inline constexpr char kSpeechProgram[] = "espeak-ng";

// The synthesizer's speaking rates, in words per minute; slower or faster speech is unintelligible.
inline constexpr int kSlowestSpeech = 80;
inline constexpr int kFastestSpeech = 450;

struct SpeechRequest {
    std::string text;  // UTF-8
    std::string voice = "es";
    int words_per_minute = 160;
};

// Refused, saying why in Spanish, when `request` cannot be spoken (an empty text, a voice name the
// synthesizer would misread, a rate out of range).
Result<void> CheckSpeechRequest(const SpeechRequest& request);

// The synthesizer's arguments that read `text_file` (UTF-8) with the request's voice and rate
// into `output_wav`.
std::vector<std::string> SpeechArguments(const SpeechRequest& request, const std::string& text_file,
                                         const std::string& output_wav);

// The synthesizer to run, or nothing when it is not installed.
std::optional<std::string> FindSpeechSynthesizer();

// What the user is told when the synthesizer is not installed.
std::string SpeechSynthesizerMissingMessage();

// Process(LTextToSpeech): writes the text into a temporary file, runs `program` on it and checks
// that the WAV file it wrote holds sound. A synthesizer that cannot start, fails, runs past
// `timeout` or is cancelled leaves no output file, and the first three say why.
class LTextToSpeech : public LProgressDialog {
  public:
    LTextToSpeech(std::string program, SpeechRequest request, std::string output_wav,
                  std::chrono::milliseconds timeout);

  protected:
    ProcessResult Body() override;

  private:
    ProcessResult Speak();

    std::string program_;
    SpeechRequest request_;
    std::string output_;
    std::chrono::milliseconds timeout_;
};

}  // namespace sonvara
