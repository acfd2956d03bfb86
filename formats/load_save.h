#pragma once
// Loading and saving documents: the dispatch between a file name's extension (compared without
// regard to case) and the reader or writer of its format, as processes behind the progress view.
//
//  - SVLoadFile fills a document from a file: ".wav", ".aif"/".aiff", ".au", ".gsm", and
//    ".vox"/".raw" with the raw-file settings (asked for first when the caller wants), and
//    ".wma", ".dss", ".ra"/".ram"/".rm" through the separately installed decoders (components/),
//    which write a temporary WAV file first (decoded_file.h). Any other extension, or a file the
//    reader cannot use, fails without a message; the caller reports it. A missing or failing
//    decoder shows its own message.
//  - LSVSaveToSink writes a document to a file: ".wav" (16-bit PCM, or after a save under a new
//    name the format chosen in the codec chooser), ".vox"/".raw" (the raw settings' encoding and
//    channels; a VOX encoding makes a stereo document mono first), ".aif"/".aiff", ".au", ".gsm"
//    (8000 Hz mono, converted on the way), ".mp3" (through the external encoder with the
//    "MP3Encoder" settings, asked for first in a save under a new name; formats/mp3_encode.h). It
//    writes a temporary file beside the target and puts it in the target's place only when
//    everything was written, so a failed or cancelled save leaves the old file as it was.
// Results: PROCESS_DONE, PROCESS_STOPPED (cancelled), PROCESS_FAILED.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "audio/sound_source.h"
#include "core/progress_dialog.h"
#include "document/convert_document.h"
#include "document/cut_list_audio.h"
#include "document/file_tags.h"
#include "formats/format_prompts.h"
#include "formats/sample_bits.h"

namespace sonvara {

// The raw-file settings ("VoxRawSampleRate", "VoxRawFileFormat", "VoxRawFileChannels" in
// "Settings"), shared by loading and saving. An encoding or channel count out of range is
// brought into it.
RawFileFormat ValidRawFileFormat(RawFileFormat format);
RawFileFormat ReadRawFileSettings();
void WriteRawFileSettings(const RawFileFormat& format);

// The raw-format dialog's check of a typed rate: the message to show (and keep the dialog open),
// or nothing when the rate is accepted (6000 to 96000).
std::optional<PromptMessage> CheckRawSampleRate(int rate);

// The reader the dispatch chooses for `path` (`raw` for ".vox"/".raw" files); the empty source,
// in error, for an unknown extension or an unusable file.
LSoundSourceRef OpenSourceForLoad(const std::string& path, const RawFileFormat& raw);

class DecodedFile;

// The reading half of a load or a conversion run by `process`: shows "Cargando el Archivo ...",
// asks a ".vox"/".raw" file's format first when `ask_raw_format` (stored back when confirmed; a
// cancel gives PROCESS_STOPPED), and has a decoder component decode the file into `decoded`
// first when one reads it. `source` is then the file's reader; PROCESS_FAILED when there is none
// (with UnreadableCodingMessage shown, when there is one), and (with TooManyChannelsMessage shown)
// when the file has more than two channels.
ProcessResult OpenInputSource(LProgressDialog& process, const std::string& path,
                              bool ask_raw_format, DecodedFile& decoded, LSoundSourceRef& source);
std::string TooManyChannelsMessage(const std::string& path, int channels);
// For a file that no reader takes although its format is known, which coding it holds that
// cannot be read ("AIFF-C con compresión 'DWVW' no se puede leer"); nothing when that is not
// the reason (a damaged or missing file).
std::optional<std::string> UnreadableCodingMessage(const std::string& path);
// Why a file that no reader took could not be read, in words for the user: it does not exist, it
// is empty, its extension is none Sonvara knows, or it is not a valid file of the format its
// extension names ("no es un archivo FLAC válido o está dañado").
std::string UnreadableFileReason(const std::string& path);

class SVLoadFile : public LProgressDialog {
  public:
    // `ask_raw_format`: whether a ".vox"/".raw" file first asks for its rate, encoding and
    // channels (stored back when confirmed; a cancel ends the load as PROCESS_STOPPED).
    SVLoadFile(std::string path, LCutListAudio& document, bool ask_raw_format);

  protected:
    ProcessResult Body() override;

  private:
    std::string path_;
    LCutListAudio& document_;
    bool ask_raw_format_;
};

enum class SaveMode {
    kPlain,    // no questions: PCM WAV of the kept width (SaveOptions), the stored raw settings
    kNewName,  // "save as": the codec chooser for WAV, the raw-format dialog for raw and VOX
};

// What a save keeps besides the audio.
//  - The sample width of WAV, AIFF and libsndfile targets (sample_bits.h): 16 bits unless a plain
//    save replaces, or a conversion reads, a file of 24 or 32 bits or floating point, whose width
//    it keeps where the target's container holds it.
//  - The tags, written where the target's format holds them (tag_file.h).
//  - A last question before the complete output takes the target's place.
struct SaveOptions {
    // The file whose width is kept; empty: in a plain save the target itself (the file the save
    // replaces), in a save under a new name none.
    std::string kept_from;
    // A width chosen outright (sonvara-batch --bits); wins over the kept one. WAV under a new name
    // takes the codec chooser's format instead.
    std::optional<SampleBits> bits;
    FileTags tags;
    // Asked when the output is complete, just before it replaces the target; false cancels the
    // save (PROCESS_STOPPED) and the target stays as it was. Empty: not asked.
    std::function<bool()> before_replace;
};

class LSVSaveToSink : public LProgressDialog {
  public:
    // `before_mono`: called just before a VOX save makes a stereo document mono, so that the
    // editor can store an undo point; may be empty.
    LSVSaveToSink(LCutListAudio& document, std::string path, SaveMode mode,
                  std::function<void()> before_mono = {});
    void SetOptions(SaveOptions options) { options_ = std::move(options); }

  protected:
    ProcessResult Body() override;

  private:
    LCutListAudio& document_;
    std::string path_;
    SaveMode mode_;
    std::function<void()> before_mono_;
    SaveOptions options_;
};

// The writing half of LSVSaveToSink for any source: the writer `target_path`'s extension names,
// written through a temporary file that replaces the target only when complete.
ProcessResult SaveSourceToFile(LProgressDialog& process, LSoundSourceRef source,
                               const std::string& target_path, SaveMode mode,
                               const SaveOptions& options = {});

// A file converted into another without an edit document: the reader and the writer are the ones
// loading and saving choose, and the audio streams from one to the other, as a load followed by a
// save would give it (a VOX target takes the left channel of stereo audio), without writing it
// into cut files in between. The output keeps the input's sample width (SaveOptions) unless
// `bits` chooses one, and its tags.
class LSVConvertFile : public LProgressDialog {
  public:
    LSVConvertFile(std::string input, std::string output, SaveMode mode, bool ask_raw_format,
                   std::optional<SampleBits> bits = std::nullopt);

  protected:
    ProcessResult Body() override;

  private:
    std::string input_;
    std::string output_;
    SaveMode mode_;
    bool ask_raw_format_;
    std::optional<SampleBits> bits_;
};

}  // namespace sonvara
