#include <sys/stat.h>

#include <algorithm>

#include "audio/source_to_sink.h"
#include "core/paths.h"
#include "core/settings.h"
#include "document/cut_writer.h"
#include "formats/decoded_file.h"
#include "formats/format_prompts.h"
#include "formats/format_table.h"
#include "formats/load_save.h"
#include "formats/raw_formats.h"
#include "formats/sndfile_file.h"

namespace sonvara {

RawFileFormat ValidRawFileFormat(RawFileFormat format) {
    format.encoding = std::clamp(format.encoding, 0, kRawEncodingCount - 1);
    format.channels = std::clamp(format.channels, 1, 2);
    return format;
}

RawFileFormat ReadRawFileSettings() {
    RawFileFormat format;
    format.rate = ReadInt("Settings", "VoxRawSampleRate", 8000);
    format.encoding = ReadInt("Settings", "VoxRawFileFormat", 0);
    format.channels = ReadInt("Settings", "VoxRawFileChannels", 1);
    return ValidRawFileFormat(format);
}

void WriteRawFileSettings(const RawFileFormat& format) {
    WriteInt("Settings", "VoxRawSampleRate", format.rate);
    WriteInt("Settings", "VoxRawFileFormat", format.encoding);
    WriteInt("Settings", "VoxRawFileChannels", format.channels);
}

std::optional<PromptMessage> CheckRawSampleRate(int rate) {
    if (rate >= 6000 && rate <= 96000) {
        return std::nullopt;
    }
    return PromptMessage{
        "Error", "Las tasas de muestra deben estar entre 6000 y 96000 muestras por segundo.",
        PromptIcon::kError, PromptButtons::kOk};
}

SVLoadFile::SVLoadFile(std::string path, LCutListAudio& document, bool ask_raw_format)
    : LProgressDialog("Sonvara"),
      path_(std::move(path)),
      document_(document),
      ask_raw_format_(ask_raw_format) {}

LSoundSourceRef OpenSourceForLoad(const std::string& path, const RawFileFormat& raw) {
    const FileFormat* format = FileFormatOf(path);
    if (format == nullptr || format->open == nullptr) {
        return LSoundSourceRef();
    }
    return format->open(path, raw);
}

ProcessResult OpenInputSource(LProgressDialog& process, const std::string& path,
                              bool ask_raw_format, DecodedFile& decoded, LSoundSourceRef& source) {
    const auto show_reading = [&] {
        process.SetText("Cargando el Archivo " + GetFileFromPath(path), 0);
        process.SetText("Espere por favor...", 1);
    };
    show_reading();
    RawFileFormat raw = ReadRawFileSettings();
    if (FileKindOf(path) == FileKind::kRaw && ask_raw_format) {
        if (!AskRawFileFormat(process.Host()->prompts, raw)) {
            return PROCESS_STOPPED;
        }
        raw = ValidRawFileFormat(raw);
        WriteRawFileSettings(raw);
    }
    std::string read_path = path;
    if (ExternalDecoderOf(path) != ExternalDecoder::kNone) {
        const ProcessResult result = decoded.Decode(process, path);
        if (result != PROCESS_DONE) {
            return result;
        }
        show_reading();  // the decoder showed its own texts
        read_path = decoded.WavePath();
    }
    source = OpenSourceForLoad(read_path, raw);
    if (source->IsError()) {
        if (const std::optional<std::string> coding = UnreadableCodingMessage(path)) {
            process.ShowError("No se puede abrir el archivo \"" + path + "\": " + *coding + ".");
        }
        return PROCESS_FAILED;
    }
    if (source->GetChannels() > 2) {
        // The editor and its effects work on mono and stereo sound only.
        process.ShowError(TooManyChannelsMessage(path, source->GetChannels()));
        return PROCESS_FAILED;
    }
    return PROCESS_DONE;
}

std::string TooManyChannelsMessage(const std::string& path, int channels) {
    return "El archivo \"" + path + "\" tiene " + std::to_string(channels) +
           " canales; Sonvara solo trabaja con sonido mono o estéreo (1 o 2 canales).";
}

std::optional<std::string> UnreadableCodingMessage(const std::string& path) {
    switch (FileKindOf(path)) {
        case FileKind::kWave:
        case FileKind::kAiff:
        case FileKind::kSndfile:
            return SndfileReadProblem(path);
        default:
            return std::nullopt;
    }
}

std::string UnreadableFileReason(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return "el archivo no existe";
    }
    if (!S_ISREG(status.st_mode)) {
        return "no es un archivo";
    }
    if (status.st_size == 0) {
        return "el archivo está vacío";
    }
    const FileFormat* format = FileFormatOf(path);
    if (format == nullptr) {
        return "Sonvara no conoce la extensión \"" + GetFileExtension(path) + "\"";
    }
    return std::string("no es un archivo ") + format->name + " válido o está dañado";
}

ProcessResult SVLoadFile::Body() {
    DecodedFile decoded;
    LSoundSourceRef source;
    if (const ProcessResult opened =
            OpenInputSource(*this, path_, ask_raw_format_, decoded, source);
        opened != PROCESS_DONE) {
        return opened;
    }
    LSoundSinkRef sink(
        new LSNKCutListAudio(document_, source->GetSampleRate(), source->GetChannels()));
    return CopySourceToSink(*this, source, sink);
}

}  // namespace sonvara
