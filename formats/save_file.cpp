#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "audio/source_to_sink.h"
#include "audio/wav/wave_file.h"
#include "audio/wav/wave_file_format.h"
#include "components/ffmpeg/aac_file_encoder.h"
#include "core/paths.h"
#include "core/temporary_file.h"
#include "document/cut_list_reader.h"
#include "formats/aiff_file.h"
#include "formats/au_file.h"
#include "formats/compression_settings.h"
#include "formats/format_prompts.h"
#include "formats/format_table.h"
#include "formats/gsm_file.h"
#include "formats/load_save.h"
#include "formats/m4a_file.h"
#include "formats/mp3_encode.h"
#include "formats/mp3_encoder_settings.h"
#include "formats/raw_formats.h"
#include "formats/sndfile_file.h"
#include "formats/tag_file.h"

namespace sonvara {
namespace {

// Puts a finished file that someone else wrote at `written` in the target's place: the target's
// mode, flushed to disk, renamed over it.
bool PutInPlace(TemporaryFile& written, const std::string& target) {
    const int descriptor = ::open(written.Path().c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        return false;
    }
    const bool flushed =
        ::fchmod(descriptor, ReplacementMode(target)) == 0 && ::fsync(descriptor) == 0;
    return ::close(descriptor) == 0 && flushed && written.RenameTo(target);
}

// The MP3 row: the encoder writes a file beside the target, which replaces the target only when
// the encoder succeeded, so a failed or cancelled save leaves the old file as it was.
ProcessResult SaveSourceAsMp3(LProgressDialog& process, const LSoundSourceRef& source,
                              const std::string& target_path, SaveMode mode,
                              const SaveOptions& options) {
    Mp3EncoderSettings settings = ReadMp3EncoderSettings();
    if (mode == SaveMode::kNewName) {
        if (!AskMp3EncoderSettings(process.Host()->prompts, settings)) {
            return PROCESS_FAILED;
        }
        WriteMp3EncoderSettings(settings);
    }
    const std::string target = GetLongFilePath(target_path);
    TemporaryFile temporary(target);
    if (!temporary.IsValid() || source->IsError()) {
        process.ShowError("No se puede crear el archivo \"" + target_path + "\"Para guardar.");
        return PROCESS_FAILED;
    }
    LMp3EncodeSource encode(source, temporary.Path(), settings, kMp3EncodeTimeout,
                            GetFileFromPath(target));
    const ProcessResult result = process.RunStep(encode, 0.0, 1.0);
    if (result != PROCESS_DONE) {
        return result;
    }
    if (options.before_replace && !options.before_replace()) {
        return PROCESS_STOPPED;
    }
    if (!WriteFileTags(temporary.Path(), target, options.tags) || !PutInPlace(temporary, target)) {
        process.ShowError("No se puede crear el archivo \"" + target_path + "\"Para guardar.");
        return PROCESS_FAILED;
    }
    return PROCESS_DONE;
}

// libsndfile's format for a WAV, AIFF or libsndfile target whose samples are written at another
// width than its default writer's (SaveOptions); nothing for the default writer. WAV under a new
// name takes the codec chooser's format.
std::optional<int> WideCoding(const std::string& target_path, SaveMode mode,
                              const SaveOptions& options) {
    const FileFormat* format = FileFormatOf(target_path);
    if (format == nullptr ||
        (format->kind != FileKind::kWave && format->kind != FileKind::kAiff &&
         format->kind != FileKind::kSndfile) ||
        (format->kind == FileKind::kWave && mode == SaveMode::kNewName)) {
        return std::nullopt;
    }
    std::optional<SampleBits> bits = options.bits;
    if (!bits && (mode == SaveMode::kPlain || !options.kept_from.empty())) {
        bits = SampleBitsOf(options.kept_from.empty() ? target_path : options.kept_from);
    }
    if (!bits || (*bits == SampleBits::k16 && format->kind != FileKind::kSndfile)) {
        return std::nullopt;
    }
    return SndfileFormatFor(*format, *bits);
}

// The WAV format a save under a new name offers first for a document from a file of 24 or 32-bit
// or floating-point samples: that width, at the document's rate and channels.
std::optional<WaveFormat> KeptWaveFormat(const SaveOptions& options, std::int32_t rate,
                                         int channels) {
    const std::optional<SampleBits> bits =
        options.bits ? options.bits
                     : (options.kept_from.empty() ? std::nullopt : SampleBitsOf(options.kept_from));
    if (!bits || *bits == SampleBits::k16) {
        return std::nullopt;
    }
    WaveFormat format = WaveFormat::Pcm(channels, static_cast<std::uint32_t>(rate),
                                        *bits == SampleBits::k24 ? 24 : 32);
    if (*bits == SampleBits::kFloat) {
        format.format_tag = WAVE_FORMAT_IEEE_FLOAT;
    }
    return format;
}

// libsndfile's WAV format for a chosen format it writes from the full samples (PCM of 24 or 32
// bits, 32-bit floating point; the codec manager would go through 16 bits).
std::optional<int> FullPrecisionWave(const FormatArea& area) {
    const WaveFormat format = LWaveFileFormat::FromArea(area);
    const FileFormat& wave = *FileFormatOf("x.wav");
    if (format.format_tag == WAVE_FORMAT_PCM && format.bits_per_sample == 24) {
        return SndfileFormatFor(wave, SampleBits::k24);
    }
    if (format.format_tag == WAVE_FORMAT_PCM && format.bits_per_sample == 32) {
        return SndfileFormatFor(wave, SampleBits::k32);
    }
    if (format.format_tag == WAVE_FORMAT_IEEE_FLOAT && format.bits_per_sample == 32) {
        return SndfileFormatFor(wave, SampleBits::kFloat);
    }
    return std::nullopt;
}

// The raw-file settings a save writes with: the stored ones, or in a save under a new name those
// the user confirms in the raw-format dialog (stored back). False when the user cancelled.
bool SettleRawFileFormat(LProgressDialog& process, SaveMode mode, RawFileFormat& raw) {
    raw = ReadRawFileSettings();
    if (mode == SaveMode::kNewName) {
        if (!AskRawFileFormat(process.Host()->prompts, raw)) {
            return false;
        }
        raw = ValidRawFileFormat(raw);
        WriteRawFileSettings(raw);
    }
    return true;
}

}  // namespace

LSVSaveToSink::LSVSaveToSink(LCutListAudio& document, std::string path, SaveMode mode,
                             std::function<void()> before_mono)
    : LProgressDialog("Sonvara"),
      document_(document),
      path_(std::move(path)),
      mode_(mode),
      before_mono_(std::move(before_mono)) {}

ProcessResult LSVSaveToSink::Body() {
    SetText("Saving file...", 0);
    SaveMode mode = mode_;
    if (FileKindOf(path_) == FileKind::kRaw) {
        RawFileFormat raw;
        if (!SettleRawFileFormat(*this, mode_, raw)) {
            return PROCESS_FAILED;
        }
        mode = SaveMode::kPlain;  // the settings are asked and stored: the writer reads them
        if (raw.encoding == static_cast<int>(RawEncoding::kDialogicAdpcm) &&
            document_.GetChannels() > 1) {
            // VOX files are mono: the document itself becomes mono first. Headerless files
            // keep both channels when they have two.
            if (before_mono_) {
                before_mono_();
            }
            if (ConvertRateChannels(*this, document_, document_.GetSampleRate(), 1) !=
                PROCESS_DONE) {
                return PROCESS_FAILED;
            }
            SetText("Saving file...", 0);
        }
    }
    return SaveSourceToFile(*this, LSoundSourceRef(new LSRCCutListAudio(document_)), path_, mode,
                            options_);
}

ProcessResult SaveSourceToFile(LProgressDialog& process, LSoundSourceRef source,
                               const std::string& target_path, SaveMode mode,
                               const SaveOptions& options) {
    const std::int32_t rate = source->GetSampleRate();
    const int channels = source->GetChannels();
    const FileKind kind = FileKindOf(target_path);
    std::optional<int> wide = WideCoding(target_path, mode, options);
    if (kind == FileKind::kWave && mode == SaveMode::kPlain) {
        // Past 4 GiB a WAV file is written as RF64 (the codec chooser's codings stay WAV).
        const int large = WaveFormatForLength(wide.value_or(0), source->GetLength(), channels);
        wide = large == 0 ? std::nullopt : std::optional<int>(large);
    }
    int sndfile_format =
        wide ? *wide : (kind == FileKind::kSndfile ? FileFormatOf(target_path)->sndfile_format : 0);

    if (kind == FileKind::kMp3) {
        return SaveSourceAsMp3(process, source, target_path, mode, options);
    }
    // Questions and preparations come first, before any file is touched.
    FormatArea wave_format{};
    RawFileFormat raw;
    if (kind == FileKind::kRaw && !SettleRawFileFormat(process, mode, raw)) {
        return PROCESS_FAILED;
    }
    if (kind == FileKind::kWave && mode == SaveMode::kNewName) {
        wave_format = LWaveFileFormat::LoadRememberedFormat(LWaveFileFormat::PcmFormat(44100, 1));
        if (LWaveFileFormat::FromArea(wave_format).format_tag == WAVE_FORMAT_PCM) {
            // A PCM choice follows the document; only its sample width is remembered.
            WaveFormat pcm = LWaveFileFormat::FromArea(wave_format);
            const int bytes = (pcm.bits_per_sample + 7) / 8;
            pcm.samples_per_sec = static_cast<std::uint32_t>(rate);
            pcm.channels = static_cast<std::uint16_t>(channels);
            pcm.block_align = static_cast<std::uint16_t>(channels * bytes);
            pcm.avg_bytes_per_sec = pcm.samples_per_sec * pcm.block_align;
            wave_format = *LWaveFileFormat::ToArea(pcm);
        }
        // A document from a wider file starts from its width.
        if (const std::optional<WaveFormat> kept = KeptWaveFormat(options, rate, channels)) {
            wave_format = *LWaveFileFormat::ToArea(*kept);
        }
        // Each coding once, at the document's rate and channels where it takes them.
        if (!ChooseWaveFileFormat(process.Host()->prompts, wave_format,
                                  WaveFormatChoices(channels, rate), "Seleccione formato")) {
            return PROCESS_FAILED;
        }
        LWaveFileFormat::SaveRememberedFormat(wave_format);
        // PCM wider than 16 bits and floating point are written from the full samples.
        if (const std::optional<int> full = FullPrecisionWave(wave_format)) {
            wide = *full;
            sndfile_format = *full;
        }
    }

    CompressionSettings compression = ReadCompressionSettings();
    const std::optional<CompressedFormat> compressed =
        kind == FileKind::kUnknown ? std::nullopt : CompressedFormatOf(*FileFormatOf(target_path));
    if (compressed && mode == SaveMode::kNewName) {
        if (!AskCompressionSettings(process.Host()->prompts, *compressed, compression)) {
            return PROCESS_FAILED;
        }
        compression = ValidCompressionSettings(compression);
        WriteCompressionSettings(compression);
    }

    const std::string target = GetLongFilePath(target_path);
    TemporaryFile temporary(target);
    LSoundSinkRef sink;
    if (temporary.IsValid()) {
        const std::string& path = temporary.Path();
        switch (wide ? FileKind::kSndfile : kind) {
            case FileKind::kWave:
                sink = mode == SaveMode::kNewName
                           ? LWaveFile::OpenSink(path, LWaveFileFormat::FromArea(wave_format))
                           : LWaveFile::OpenSinkPCM(path, rate, 0, 16, channels);
                break;
            case FileKind::kRaw:
                sink = raw.encoding == 0
                           ? OpenRawSink(path, RawEncoding::kDialogicAdpcm, raw.rate, 1)
                           : OpenRawSink(path, static_cast<RawEncoding>(raw.encoding), rate,
                                         raw.channels);
                break;
            case FileKind::kAiff:
                sink = LAifFile::OpenSink(path, rate, channels);
                break;
            case FileKind::kAu:
                sink = LAuFile::OpenSink(path, rate, channels);
                break;
            case FileKind::kGsm:
                sink = LSoundSinkRef(new LGSMFileSink(path));  // 8000 Hz mono: the copy converts
                break;
            // A coding that takes only some rates gets one: the copy converts.
            case FileKind::kSndfile: {
                const SndfileTarget coded{sndfile_format,
                                          compressed ? std::optional(SndfileCompressionLevel(
                                                           *compressed, compression, channels))
                                                     : std::nullopt};
                sink = OpenSndfileSink(path, SndfileWrittenRate(coded, rate), channels, coded);
                break;
            }
            case FileKind::kMpeg4Audio:
                sink = OpenM4aSink(path, target, AacRateFor(rate), channels, compression.aac_kbps);
                break;
            case FileKind::kMp3:  // written by the external encoder, above
            case FileKind::kDecodedByComponent:
            case FileKind::kUnknown:
                break;
        }
    }
    if (!sink || sink->IsError()) {
        // The writer's reason, when it has one ("el codificador AAC no admite ...").
        const std::string reason = sink ? sink->ErrorText() : "";
        process.ShowError("No se puede crear el archivo \"" + target_path + "\"Para guardar." +
                          (reason.empty() ? "" : " (" + reason + ")"));
        return PROCESS_FAILED;
    }
    // The copy finishes the writer (final header, last coded block) and fails when that fails.
    const ProcessResult result = CopySourceToSink(process, source, sink);
    const bool unwritable = sink->IsError();  // a full disk, a file size limit
    sink = LSoundSinkRef();
    if (result == PROCESS_FAILED && unwritable) {
        process.ShowError("No se puede crear el archivo \"" + target_path + "\"Para guardar.");
    }
    if (result != PROCESS_DONE) {
        return result;  // the temporary file goes, the old file stays
    }
    if (options.before_replace && !options.before_replace()) {
        return PROCESS_STOPPED;
    }
    if (!WriteFileTags(temporary.Path(), target, options.tags) ||
        ::fchmod(temporary.Descriptor(), ReplacementMode(target)) != 0 ||
        !temporary.SyncAndClose() || !temporary.RenameTo(target)) {
        process.ShowError("No se puede crear el archivo \"" + target_path + "\"Para guardar.");
        return PROCESS_FAILED;
    }
    return PROCESS_DONE;
}

}  // namespace sonvara
