#include "editor_model/text_to_speech.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "core/component_lookup.h"
#include "core/external_program.h"
#include "core/folders.h"
#include "core/temporary_file.h"

namespace sonvara {
namespace {

// A WAV file's header alone is 44 bytes; a synthesizer that spoke wrote more.
constexpr off_t kWavHeaderBytes = 44;

bool HoldsSound(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
           status.st_size > kWavHeaderBytes;
}

// Voice names are letters, digits and the separators of language tags and variants
// ("es", "es-419", "en-us+f3"); a name starting with "-" would read as an option.
bool IsVoiceName(const std::string& voice) {
    return !voice.empty() && voice.size() <= 40 && voice.front() != '-' &&
           std::all_of(voice.begin(), voice.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '_' || c == '+';
           });
}

}  // namespace

Result<void> CheckSpeechRequest(const SpeechRequest& request) {
    if (request.text.find_first_not_of(" \t\r\n") == std::string::npos) {
        return Failure("Escriba el texto que se ha de leer.");
    }
    if (!IsVoiceName(request.voice)) {
        return Failure("La voz \"" + request.voice +
                       "\" no es un nombre de voz válido (por ejemplo \"es\" o \"es-419\").");
    }
    if (request.words_per_minute < kSlowestSpeech || request.words_per_minute > kFastestSpeech) {
        return Failure("La velocidad debe estar entre " + std::to_string(kSlowestSpeech) + " y " +
                       std::to_string(kFastestSpeech) + " palabras por minuto.");
    }
    return {};
}

std::vector<std::string> SpeechArguments(const SpeechRequest& request, const std::string& text_file,
                                         const std::string& output_wav) {
    // -b 1: the text is UTF-8.
    return {"-v", request.voice, "-s", std::to_string(request.words_per_minute),
            "-b", "1",           "-f", text_file,
            "-w", output_wav};
}

std::optional<std::string> FindSpeechSynthesizer() {
    return FindComponentProgram(kSpeechComponent, kSpeechProgram);
}

std::string SpeechSynthesizerMissingMessage() {
    return std::string("No se encuentra el sintetizador de voz \"") + kSpeechProgram +
           "\", que lee el texto en voz alta. Instálelo con \"apt install espeak-ng\" (o el "
           "gestor de paquetes de su sistema), o indique dónde está con el valor \"Path\" de la "
           "sección \"" +
           ComponentSection(kSpeechComponent) + "\" de la configuración.";
}

LTextToSpeech::LTextToSpeech(std::string program, SpeechRequest request, std::string output_wav,
                             std::chrono::milliseconds timeout)
    : LProgressDialog("Texto a Palabras"),
      program_(std::move(program)),
      request_(std::move(request)),
      output_(std::move(output_wav)),
      timeout_(timeout) {}

ProcessResult LTextToSpeech::Body() {
    const ProcessResult result = Speak();
    if (result != PROCESS_DONE) {
        ::unlink(output_.c_str());
    }
    return result;
}

ProcessResult LTextToSpeech::Speak() {
    if (const Result<void> check = CheckSpeechRequest(request_); !check) {
        ShowError(check.Message());
        return PROCESS_FAILED;
    }
    SetText("Leyendo el texto en voz alta", 0);
    ::unlink(output_.c_str());
    // A name of its own, so that two editors never read each other's text; removed on return.
    TemporaryFile text(TemporaryFolder() + "/_speech.txt");
    if (!text.IsValid() ||
        text.File().Write(request_.text.data(), request_.text.size()) != request_.text.size() ||
        !text.SyncAndClose()) {
        ShowError("No se puede escribir el archivo temporal en \"" + TemporaryFolder() + "\".");
        return PROCESS_FAILED;
    }

    ExternalProgram program;
    program.path = program_;
    program.arguments = SpeechArguments(request_, text.Path(), output_);
    program.timeout = timeout_;
    program.start_failure_message = SpeechSynthesizerMissingMessage();
    const ExternalRunResult run = RunExternalProgram(*this, program);
    if (run.started && run.result == PROCESS_FAILED) {
        ShowError("El sintetizador de voz no terminó a tiempo y se ha detenido.");
        return PROCESS_FAILED;
    }
    if (run.result != PROCESS_DONE) {
        return run.result;
    }
    if (run.exit_status != 0) {
        ShowError("El sintetizador de voz no pudo leer el texto con la voz \"" + request_.voice +
                  "\" (terminó con el estado " + std::to_string(run.exit_status) + ").");
        return PROCESS_FAILED;
    }
    if (!HoldsSound(output_)) {
        ShowError("El sintetizador de voz no escribió el archivo de sonido.");
        return PROCESS_FAILED;
    }
    return PROCESS_DONE;
}

}  // namespace sonvara
