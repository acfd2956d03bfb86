#include <algorithm>

#include "audio/source_to_sink.h"
#include "audio/wav/wave_file.h"
#include "codecs/aiff_file.h"
#include "codecs/au_file.h"
#include "codecs/decoded_file.h"
#include "codecs/file_kind.h"
#include "codecs/gsm_file.h"
#include "codecs/load_save.h"
#include "codecs/mp3_file.h"
#include "codecs/raw_formats.h"
#include "core/paths.h"
#include "core/settings.h"
#include "document/cut_writer.h"

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
    switch (FileKindOf(path)) {
        case FileKind::kWave:
            return LWaveFile::OpenSource(path);
        case FileKind::kAiff:
            return LAifFile::OpenSource(path);
        case FileKind::kAu:
            return LAuFile::OpenSource(path);
        case FileKind::kGsm:
            return new LGSMFileSource(path);
        case FileKind::kMp3:
            return new LMP3Source(path);
        case FileKind::kRaw:
            return OpenRawSource(path, static_cast<RawEncoding>(raw.encoding), raw.rate,
                                 raw.channels);
        case FileKind::kUnknown:
            break;
    }
    return LSoundSourceRef();
}

ProcessResult SVLoadFile::Body() {
    SetText("Cargando el Archivo " + GetFileFromPath(path_), 0);
    SetText("Espere por favor...", 1);
    RawFileFormat raw = ReadRawFileSettings();
    if (FileKindOf(path_) == FileKind::kRaw && ask_raw_format_) {
        if (!Host()->prompts.AskRawFileFormat(raw)) {
            return PROCESS_STOPPED;
        }
        raw = ValidRawFileFormat(raw);
        WriteRawFileSettings(raw);
    }
    DecodedFile decoded;
    std::string read_path = path_;
    if (ExternalDecoderOf(path_) != ExternalDecoder::kNone) {
        const ProcessResult result = decoded.Decode(*this, path_);
        if (result != PROCESS_DONE) {
            return result;
        }
        SetText("Cargando el Archivo " + GetFileFromPath(path_), 0);
        SetText("Espere por favor...", 1);
        read_path = decoded.WavePath();
    }
    LSoundSourceRef source = OpenSourceForLoad(read_path, raw);
    if (source->IsError()) {
        return PROCESS_FAILED;
    }
    LSoundSinkRef sink(
        new LSNKCutListAudio(document_, source->GetSampleRate(), source->GetChannels()));
    return CopySourceToSink(*this, source, sink);
}

}  // namespace sonvara
