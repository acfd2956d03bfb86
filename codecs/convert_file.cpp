#include "audio/filter_makers.h"
#include "codecs/decoded_file.h"
#include "codecs/file_kind.h"
#include "codecs/load_save.h"
#include "core/paths.h"

namespace sonvara {

LSVConvertFile::LSVConvertFile(std::string input, std::string output, SaveMode mode,
                               bool ask_raw_format)
    : LProgressDialog("Sonvara"),
      input_(std::move(input)),
      output_(std::move(output)),
      mode_(mode),
      ask_raw_format_(ask_raw_format) {}

ProcessResult LSVConvertFile::Body() {
    SetText("Cargando el Archivo " + GetFileFromPath(input_), 0);
    SetText("Espere por favor...", 1);
    RawFileFormat raw = ReadRawFileSettings();
    if (FileKindOf(input_) == FileKind::kRaw && ask_raw_format_) {
        if (!Host()->prompts.AskRawFileFormat(raw)) {
            return PROCESS_STOPPED;
        }
        raw = ValidRawFileFormat(raw);
        WriteRawFileSettings(raw);
    }
    DecodedFile decoded;
    std::string read_path = input_;
    if (ExternalDecoderOf(input_) != ExternalDecoder::kNone) {
        const ProcessResult result = decoded.Decode(*this, input_);
        if (result != PROCESS_DONE) {
            return result;
        }
        read_path = decoded.WavePath();
    }
    LSoundSourceRef source = OpenSourceForLoad(read_path, raw);
    if (source->IsError()) {
        return PROCESS_FAILED;
    }
    if (FileKindOf(output_) == FileKind::kRaw) {
        source = LChannelsFilterMaker(1).Make(source);
    }
    SetText("Saving file...", 0);
    return SaveSourceToFile(*this, source, output_, mode_);
}

}  // namespace sonvara
