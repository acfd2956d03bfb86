#include "formats/mp3_encode.h"

#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include "audio/filter_makers.h"
#include "audio/source_to_sink.h"
#include "audio/wav/wave_file.h"
#include "core/component_lookup.h"
#include "core/external_program.h"
#include "core/folders.h"
#include "core/paths.h"
#include "core/temporary_file.h"
#include "formats/mp3_encoder_settings.h"

namespace sonvara {
namespace {

bool HasContent(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0;
}

}  // namespace

std::string Mp3EncoderMissingMessage() {
    return std::string("The mp3 encoder component \"") + kMp3EncoderComponent +
           "\" has not yet been installed. It is the free LAME encoder: install it with \"apt "
           "install lame\" (or your system's package manager), or download it free from "
           "https://lame.sourceforge.io and set its \"Path\" in the section \"" +
           ComponentSection(kMp3EncoderComponent) + "\" of the settings.";
}

LMp3EncodeWav::LMp3EncodeWav(std::string input_wav, std::string output_mp3,
                             const Mp3EncoderSettings& settings, std::int32_t rate,
                             std::chrono::milliseconds timeout, std::string shown_name)
    : LProgressDialog("Sonvara"),
      input_(std::move(input_wav)),
      output_(std::move(output_mp3)),
      settings_(settings),
      rate_(rate),
      timeout_(timeout),
      shown_name_(std::move(shown_name)) {}

ProcessResult LMp3EncodeWav::Body() {
    const std::optional<std::string> encoder =
        FindComponentProgram(kMp3EncoderComponent, kMp3EncoderProgram);
    if (!encoder) {
        ShowError(Mp3EncoderMissingMessage());
        return PROCESS_FAILED;
    }
    SetText("Encoding mp3 file", 0);
    SetText(shown_name_.empty() ? GetFileFromPath(output_) : shown_name_, 1);
    ::unlink(output_.c_str());

    ExternalProgram program;
    program.path = *encoder;
    program.arguments = Mp3EncoderArguments(settings_, rate_, input_, output_);
    program.timeout = timeout_;
    program.start_failure_message = Mp3EncoderMissingMessage();
    // A cancelled or overdue encoder has been killed and reaped when this returns, so nothing
    // writes to the output any more once it is deleted below.
    const ExternalRunResult run = RunExternalProgram(*this, program);
    ProcessResult result = run.result;
    if (run.started && result == PROCESS_FAILED) {
        ShowError("El codificador MP3 no terminó a tiempo y se ha detenido.");
    } else if (result == PROCESS_DONE && run.exit_status != 0) {
        ShowError("El codificador MP3 terminó con un error (estado " +
                  std::to_string(run.exit_status) + ").");
        result = PROCESS_FAILED;
    } else if (result == PROCESS_DONE && !HasContent(output_)) {
        ShowError("El codificador MP3 no escribió el archivo.");
        result = PROCESS_FAILED;
    }
    if (result != PROCESS_DONE) {
        ::unlink(output_.c_str());
    }
    return result;
}

LMp3EncodeSource::LMp3EncodeSource(LSoundSourceRef source, std::string output_mp3,
                                   const Mp3EncoderSettings& settings,
                                   std::chrono::milliseconds timeout, std::string shown_name)
    : LProgressDialog("Sonvara"),
      source_(std::move(source)),
      output_(std::move(output_mp3)),
      settings_(settings),
      timeout_(timeout),
      shown_name_(std::move(shown_name)) {}

ProcessResult LMp3EncodeSource::Body() {
    if (!source_ || source_->IsError()) {
        return PROCESS_FAILED;
    }
    const std::int32_t rate = Mp3EncodingRate(source_->GetSampleRate(), settings_);
    // A name of its own, so that saves running side by side (two editors, the batch tool) never
    // write into each other's input; removed whatever happens.
    TemporaryFile wav(TemporaryFolder() + "/_mp3enctmp.wav");
    if (!wav.IsValid()) {
        ShowError("No se puede crear el archivo temporal en \"" + TemporaryFolder() + "\".");
        return PROCESS_FAILED;
    }
    SetText("Convert mp3 sample rate", 0);
    LSoundSinkRef sink = LWaveFile::OpenSinkPCM(wav.Path(), rate, 0, 16, source_->GetChannels());
    const ProcessResult result =
        CopySourceToSink(*this, LRateFilterMaker(rate).Make(source_), sink);
    if (result == PROCESS_FAILED && (!sink || sink->IsError())) {
        ShowError("No se puede crear el archivo temporal \"" + wav.Path() + "\".");
    }
    sink = LSoundSinkRef();
    if (result != PROCESS_DONE) {
        return result;
    }
    LMp3EncodeWav encode(wav.Path(), output_, settings_, rate, timeout_,
                         shown_name_.empty() ? GetFileFromPath(output_) : shown_name_);
    return RunStep(encode, 1.0, 1.0);
}

}  // namespace sonvara
