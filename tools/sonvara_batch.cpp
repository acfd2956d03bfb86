// sonvara-batch: the command-line face of Sonvara's file processes, for scripts.
//
//   sonvara-batch convert [options] IN OUT   read IN and write it as OUT, both by extension
//   sonvara-batch info [options] FILE        rate, channels, length and kind of FILE (and its
//                                            loudness with --loudness, --loudness-values)
//   sonvara-batch effect [options] EFFECT IN OUT  IN with one effect applied, saved as OUT
//   sonvara-batch run [options] FILE...      the batch converter: commands on every FILE
//   sonvara-batch script show FILE.svb       a batch script's commands and options
//   sonvara-batch commands                   the commands a batch script can hold
//   sonvara-batch effects                    the effects by their short names
//   sonvara-batch formats                    the file formats read and written
//   sonvara-batch plugins                    the installed LV2 plug-ins and their controls
//   sonvara-batch --version
//
// A file named "-" is standard input or output in the format of --type EXT (standard_streams.h);
// run --jobs N works on N files at once (batch_jobs.h).
//
// Exit status: 0 done, 1 cancelled (Ctrl+C, SIGTERM or SIGHUP while a file is worked on: what
// was being written is removed), 2 failed, with one line on stderr saying why. The settings and
// the working folder are the editor's ($XDG_CONFIG_HOME, $XDG_DATA_HOME).

#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "audio/sound_time.h"
#include "core/message_loop.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/terminal_progress_view.h"
#include "effects/loudness_meter.h"
#include "formats/compression_settings.h"
#include "formats/decoded_file.h"
#include "formats/ffmpeg_decode.h"
#include "formats/format_table.h"
#include "formats/load_save.h"
#include "formats/mp3_encoder_settings.h"
#include "formats/raw_formats.h"
#include "formats/sample_bits.h"
#include "formats/sndfile_file.h"
#include "formats/tag_file.h"
#include "platform/ini_settings_file.h"
#include "tools/batch_prompts.h"
#include "tools/batch_run.h"
#include "tools/effect_verb.h"
#include "tools/exit_status.h"
#include "tools/file_checks.h"
#include "tools/plugin_list.h"
#include "tools/standard_streams.h"

namespace sonvara {
namespace {

constexpr const char* kUsage =
    "Uso:\n"
    "  sonvara-batch convert [opciones] ENTRADA SALIDA\n"
    "      Carga ENTRADA y la guarda como SALIDA; el formato de cada una sale de su extensión\n"
    "      (las de \"sonvara-batch formats\"; una SALIDA .mp3 necesita el codificador LAME:\n"
    "      \"apt install lame\").\n"
    "  sonvara-batch info [opciones] ARCHIVO\n"
    "      Muestra la tasa, los canales, la duración, el tipo, la codificación y las etiquetas\n"
    "      (título, artista, ...) de ARCHIVO; con --loudness también su sonoridad (EBU R 128:\n"
    "      integrada, rango, momentánea y a corto plazo máximas, picos), y con\n"
    "      --loudness-values solo esta, una línea clave=valor cada medida.\n"
    "  sonvara-batch effect [opciones] EFECTO ENTRADA SALIDA\n"
    "      Carga ENTRADA, le aplica EFECTO y la guarda como SALIDA (por extensión):\n"
    "        fade-in[:DURACIÓN]          aparece gradualmente (todo el archivo o su comienzo)\n"
    "        fade-out[:DURACIÓN]         se desvanece (todo el archivo o su final)\n"
    "        fade-out-trim:FIN,DURACIÓN  se desvanece en DURACIÓN hasta FIN y se corta allí\n"
    "        reverse                     al revés\n"
    "        dc-offset                   quita a cada canal su valor medio (DC offset)\n"
    "        silence[:DESDE,HASTA]       silencio en todo el archivo o de DESDE a HASTA\n"
    "        equalizer:FRECUENCIA:NIVEL,...  ecualizador; frecuencias de 0 a 20000 Hz (1000,\n"
    "                                    1000Hz, 2.5kHz)\n"
    "        envelope:TIEMPO:NIVEL,...   envolvente de volumen a lo largo del archivo\n"
    "        EFECTO:VALORES              un efecto de \"sonvara-batch effects\" "
    "(\"echo:800ms,50%\")\n"
    "        ORDEN[:VALORES]             una orden de \"sonvara-batch commands\" (\"Eco:800,50\")\n"
    "        lv2:URI[:PUERTO=VALOR,...]  un complemento LV2 de \"sonvara-batch plugins\"\n"
    "                                    (\"lv2:http://plugin.org.uk/swh-plugins/amp:gain=6\")\n"
    "      Tiempos: segundos (1.5 o 1.5s), milisegundos (250ms), 1:30.5, 1:02:03 o un\n"
    "      porcentaje del archivo (25%). Niveles: porcentaje (50% o 50) o decibelios (-6dB);\n"
    "      en el ecualizador 100% es el nivel original y 199.22% el máximo, en la envolvente\n"
    "      200% es el máximo (como en sus gráficas del editor). De 2 a 64 puntos, en orden:\n"
    "      \"equalizer:0:100%,1000:100%,4000:50%,20000:50%\", "
    "\"envelope:0:0%,2s:100%,100%:100%\".\n"
    "  sonvara-batch run [opciones] [--script LISTA.svb] [--command ORDEN]... ARCHIVO...\n"
    "      El convertidor de grupo: carga cada ARCHIVO, le aplica las órdenes de la lista (las\n"
    "      de --script y después las de --command) y lo guarda.\n"
    "  sonvara-batch script show LISTA.svb\n"
    "      Muestra las órdenes de una lista con sus opciones.\n"
    "  sonvara-batch commands\n"
    "      Las órdenes con sus parámetros.\n"
    "  sonvara-batch effects\n"
    "      Los efectos del editor por su nombre corto, con sus valores de partida.\n"
    "  sonvara-batch formats\n"
    "      Los formatos de archivo, sus extensiones y si se leen o también se escriben.\n"
    "  sonvara-batch plugins\n"
    "      Los complementos LV2 instalados que Sonvara puede usar, con sus puertos de control\n"
    "      (los de LV2_PATH, si está definida), y los que no, con el motivo.\n"
    "\n"
    "Opciones:\n"
    "  --raw-rate N        muestras por segundo de los archivos .raw y .vox (6000 a 96000)\n"
    "  --raw-format F      codificación de .raw y .vox: 0 a 6 o su nombre (\"Dialogic ADPCM\",\n"
    "                      \"G711 uLaw\", \"G711 aLaw\", \"16 bit PCM (LE)\", \"8 bit unsigned\",\n"
    "                      \"8 bit signed\", \"16 bit PCM (BE)\")\n"
    "  --raw-channels 1|2  canales de los archivos .raw\n"
    "  --wav-format NOMBRE el formato de una SALIDA .wav: pcm8 pcm16 pcm24 pcm32 float ulaw\n"
    "                      alaw ima ms, o el nombre de un codec (\"IMA ADPCM\", ...)\n"
    "  --bits 16|24|32|float  la anchura de las muestras de una SALIDA .wav, .aif, .flac (16 o\n"
    "                      24), .caf, .w64 o .rf64; sin ella se conserva la de la ENTRADA\n"
    "  --flac-level N      el nivel de compresión de una SALIDA .flac (0 rápido a 8 pequeño)\n"
    "  --vorbis-quality N  la calidad de una SALIDA .ogg (0 a 10)\n"
    "  --opus-kbps N       la tasa de bits de una SALIDA .opus (6 a 512 kbit/s)\n"
    "  --aac-kbps N        la tasa de bits de una SALIDA .m4a (16 a 512 kbit/s)\n"
    "  --mp3-cbr KBPS      una SALIDA .mp3 con tasa de bits constante (8 a 320 kbit/s)\n"
    "  --mp3-vbr MIN,MAX,Q una SALIDA .mp3 con tasa de bits variable entre MIN y MAX kbit/s\n"
    "                      y calidad Q (0 la mejor a 9)\n"
    "  --type EXT          el formato de un archivo \"-\" (uno de \"sonvara-batch formats\"\n"
    "                      que no pida decodificador): la entrada estándar como ENTRADA, la\n"
    "                      salida estándar como SALIDA; se aplica a los \"-\" que le siguen\n"
    "                      (o, si no hay, a los anteriores)\n"
    "  --version           la versión\n"
    "  --help              esta ayuda\n"
    "\n"
    "Opciones de run:\n"
    "  --script LISTA.svb  las órdenes de una lista guardada\n"
    "  --command ORDEN     una orden más: su número o su nombre, y tras \":\" sus valores en el\n"
    "                      orden de \"sonvara-batch commands\", separados por comas\n"
    "                      (\"7:800,50\", \"Normalizador:95\"); sin valores, los guardados\n"
    "  --format EXT|same   el formato de salida (uno que se escriba, en \"sonvara-batch\n"
    "                      formats\") o el mismo de cada archivo\n"
    "  --out CARPETA|same  la carpeta de salida o la de cada archivo\n"
    "  --save-script LISTA.svb  guarda la lista formada (sin ARCHIVO, solo la guarda)\n"
    "  --jobs N            trabaja N archivos a la vez (por defecto, uno por procesador), cada\n"
    "                      uno con su carpeta de trabajo, su salida y su estado; el resultado es\n"
    "                      el de --jobs 1: si uno falla, los anteriores terminan y de los\n"
    "                      siguientes no queda nada\n"
    "  Sin --format ni --out deciden los valores del convertidor en la configuración.\n"
    "  Con el mismo formato y la misma carpeta, cada archivo se reemplaza por el resultado.\n"
    "\n"
    "Con \"-\": la entrada estándar se copia entera a una carpeta temporal antes de leerla, y\n"
    "una SALIDA \"-\" se escribe entera allí y después se envía, porque WAV y AIFF llevan los\n"
    "tamaños en la cabecera, que se escribe al final: sale el mismo archivo que con un nombre.\n"
    "Ejemplo: sox in.flac -t wav - | sonvara-batch run --command 7:800,50 --type wav - > out.wav\n"
    "\n"
    "Las opciones --raw-*, --mp3-*, --flac-level, --vorbis-quality, --opus-kbps y --aac-kbps se\n"
    "guardan en la configuración, como en el editor.\n"
    "Estado de salida: 0 hecho, 1 cancelado (Ctrl+C, SIGTERM o SIGHUP), 2 error (con el\n"
    "archivo y el paso). Un error o una cancelación no deja nada a medio escribir.\n";

struct Options {
    std::string command;
    std::vector<std::string> files;
    std::optional<int> raw_rate;
    std::optional<int> raw_encoding;
    std::optional<int> raw_channels;
    std::optional<std::string> wav_format;
    std::optional<SampleBits> bits;
    // --mp3-cbr and --mp3-vbr with their values, in the order given; read once the settings
    // they are laid over are there.
    std::vector<std::pair<std::string, std::string>> mp3_options;
    // --flac-level, --vorbis-quality, --opus-kbps and --aac-kbps with their values.
    std::vector<std::pair<const CompressionField*, int>> compression;
    BatchRunOptions batch;
    // The --type of each file named "-" (by index into `files`); empty before it is settled.
    std::vector<std::string> stream_types;
    std::vector<std::string> saved;  // the files a run saved
    // info: the loudness too, as text (--loudness) or as key=value lines only (--loudness-values).
    enum class Loudness { kNone, kText, kValues } loudness = Loudness::kNone;
    bool help = false;
    bool version = false;
};

std::optional<int> ParseNumber(const std::string& text) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < 0 || value > 10000000) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

std::optional<int> ParseEncoding(const std::string& text) {
    if (std::optional<int> number = ParseNumber(text); number && *number < kRawEncodingCount) {
        return number;
    }
    for (int i = 0; i < kRawEncodingCount; ++i) {
        if (text == RawEncodingName(static_cast<RawEncoding>(i))) {
            return i;
        }
    }
    return std::nullopt;
}

// "KBPS" for --mp3-cbr, "MIN,MAX,Q" for --mp3-vbr, laid over `settings`.
std::optional<Mp3EncoderSettings> ParseMp3Option(const std::string& option, const std::string& text,
                                                 Mp3EncoderSettings settings) {
    auto bit_rate = [](const std::string& part) -> std::optional<std::uint16_t> {
        const std::optional<int> value = ParseNumber(part);
        if (!value || *value < 8 || *value > 320) {
            return std::nullopt;
        }
        return static_cast<std::uint16_t>(*value);
    };
    if (option == "--mp3-cbr") {
        const std::optional<std::uint16_t> rate = bit_rate(text);
        if (!rate) {
            return std::nullopt;
        }
        settings.constant_bit_rate = true;
        settings.cbr_bit_rate = *rate;
        return settings;
    }
    const std::size_t first = text.find(',');
    const std::size_t second = first == std::string::npos ? first : text.find(',', first + 1);
    if (second == std::string::npos) {
        return std::nullopt;
    }
    const std::optional<std::uint16_t> lowest = bit_rate(text.substr(0, first));
    const std::optional<std::uint16_t> highest =
        bit_rate(text.substr(first + 1, second - first - 1));
    const std::optional<int> quality = ParseNumber(text.substr(second + 1));
    if (!lowest || !highest || *lowest > *highest || !quality || *quality > 9) {
        return std::nullopt;
    }
    settings.constant_bit_rate = false;
    settings.vbr_min_bit_rate = *lowest;
    settings.vbr_max_bit_rate = *highest;
    settings.vbr_quality = static_cast<std::uint8_t>(*quality);
    return settings;
}

// Reads the command line; an error message when it cannot be understood.
std::optional<std::string> ParseOptions(int argc, char** argv, Options& options) {
    std::string type;  // the last --type
    for (int i = 1; i < argc; ++i) {
        const int first = i;
        const std::string argument = argv[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= argc) {
                return std::nullopt;
            }
            return std::string(argv[++i]);
        };
        if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument == "--loudness") {
            options.loudness = Options::Loudness::kText;
        } else if (argument == "--loudness-values") {
            options.loudness = Options::Loudness::kValues;
        } else if (argument == "--type") {
            std::optional<std::string> text = value();
            std::optional<std::string> extension = text ? StreamTypeExtension(*text) : std::nullopt;
            if (!extension) {
                return "--type necesita un formato (wav aif au gsm vox raw mp3)";
            }
            type = *extension;
            // "-" files before the first --type take it too.
            for (std::string& earlier : options.stream_types) {
                if (earlier.empty()) {
                    earlier = type;
                }
            }
        } else if (argument == "--raw-rate") {
            std::optional<std::string> text = value();
            options.raw_rate = text ? ParseNumber(*text) : std::nullopt;
            if (!options.raw_rate) {
                return "--raw-rate necesita un número";
            }
        } else if (argument == "--raw-format") {
            std::optional<std::string> text = value();
            options.raw_encoding = text ? ParseEncoding(*text) : std::nullopt;
            if (!options.raw_encoding) {
                return "--raw-format necesita 0 a 6 o el nombre de una codificación";
            }
        } else if (argument == "--raw-channels") {
            std::optional<std::string> text = value();
            options.raw_channels = text ? ParseNumber(*text) : std::nullopt;
            if (!options.raw_channels || *options.raw_channels < 1 || *options.raw_channels > 2) {
                return "--raw-channels necesita 1 o 2";
            }
        } else if (argument == "--wav-format") {
            options.wav_format = value();
            if (!options.wav_format) {
                return "--wav-format necesita un nombre";
            }
        } else if (const auto field =
                       std::ranges::find(CompressionFields(), argument, &CompressionField::option);
                   field != CompressionFields().end()) {
            const std::optional<std::string> text = value();
            const std::optional<int> number = text ? ParseNumber(*text) : std::nullopt;
            if (!number || *number < field->low || *number > field->high) {
                return argument + " necesita un número de " + std::to_string(field->low) + " a " +
                       std::to_string(field->high);
            }
            options.compression.emplace_back(&*field, *number);
        } else if (argument == "--bits") {
            std::optional<std::string> text = value();
            options.bits = text ? ParseSampleBits(*text) : std::nullopt;
            if (!options.bits) {
                return "--bits necesita 16, 24, 32 o float";
            }
        } else if (argument == "--mp3-cbr" || argument == "--mp3-vbr") {
            std::optional<std::string> text = value();
            options.mp3_options.emplace_back(argument, text.value_or(""));
            if (!text) {
                return argument + " necesita un valor";
            }
        } else if (argument == "--jobs") {
            std::optional<std::string> text = value();
            std::optional<int> jobs = text ? ParseNumber(*text) : std::nullopt;
            if (!jobs || *jobs < 1 || *jobs > 1024) {
                return "--jobs necesita un número de 1 a 1024";
            }
            options.batch.jobs = *jobs;
            continue;  // each file's own run works on its file alone
        } else if (argument == "--wait-turn") {
            options.batch.wait_turn = true;  // given by --jobs to each file's own run
            continue;
        } else if (argument == "--script" || argument == "--command" || argument == "--format" ||
                   argument == "--out" || argument == "--save-script") {
            std::optional<std::string> text = value();
            if (!text) {
                return argument + " necesita un valor";
            }
            if (argument == "--script") {
                options.batch.script = text;
            } else if (argument == "--command") {
                options.batch.commands.push_back(*text);
            } else if (argument == "--format") {
                options.batch.format = text;
            } else if (argument == "--out") {
                options.batch.out = text;
            } else {
                options.batch.save_script = text;
            }
        } else if (argument.starts_with("--")) {
            return "opción desconocida: " + argument;
        } else if (options.command.empty()) {
            options.command = argument;
            continue;
        } else {
            options.files.push_back(argument);
            options.stream_types.push_back(argument == "-" ? type : "");
            continue;
        }
        if (argument != "--save-script") {
            // An option with its value, as each file's own run of --jobs gets it again.
            options.batch.run_options.insert(options.batch.run_options.end(), argv + first,
                                             argv + i + 1);
        }
    }
    for (std::size_t i = 0; i < options.files.size(); ++i) {
        if (options.files[i] == "-" && options.stream_types[i].empty()) {
            return "\"-\" necesita --type EXT (el formato de la entrada o la salida estándar)";
        }
    }
    return std::nullopt;
}

bool RawOptionsGiven(const Options& options) {
    return options.raw_rate || options.raw_encoding || options.raw_channels;
}

// Runs `process` with the terminal progress bar.
ProcessResult RunProcess(LProgressDialog& process, BatchPrompts& prompts) {
    QueueMessageLoop loop;
    TerminalProgressView view;
    ProcessHost host{loop, view, prompts};
    return process.Run(host);
}

// The exit status of a process; `why` goes to stderr for a failure the process did not explain.
int ExitFor(ProcessResult result, const std::string& why, bool explained) {
    if (result == PROCESS_FAILED && explained) {
        return kExitFailed;
    }
    switch (result) {
        case PROCESS_DONE:
            return kExitDone;
        case PROCESS_STOPPED:
            std::fprintf(stderr, "sonvara-batch: cancelado\n");
            return kExitCancelled;
        case PROCESS_FAILED:
            break;
    }
    return Fail(why);
}

int Convert(const Options& options, BatchPrompts& prompts) {
    if (options.files.size() != 2) {
        return Fail("convert necesita ENTRADA y SALIDA (--help)");
    }
    const std::string& input = options.files[0];
    const std::string& output = options.files[1];
    if (const auto fault = InputFileProblem(input, true)) {
        return Fail(*fault);
    }
    if (const auto fault = OutputFileProblem(output)) {
        return Fail(*fault);
    }
    if (const auto fault = BitsProblem(output, options.bits)) {
        return Fail(*fault);
    }
    const bool decoded_by_component = ExternalDecoderOf(input) != ExternalDecoder::kNone;
    auto convert = [&](SaveMode mode) {
        LSVConvertFile process(input, output, mode, RawOptionsGiven(options), options.bits);
        const int messages = prompts.MessagesShown();
        const ProcessResult result = RunProcess(process, prompts);
        return ExitFor(result, "no se pudo convertir \"" + input + "\" en \"" + output + "\"",
                       prompts.MessagesShown() > messages);
    };
    if (decoded_by_component) {
        // A decoder component reads the input (Windows Media, DSS, RealAudio); its rate and
        // channels are known only after decoding, so no WAV format is fitted to them.
        if (options.wav_format) {
            return Fail("--wav-format no se puede usar con \"" + input + "\"");
        }
        return convert(SaveMode::kPlain);
    }
    // The reader is looked at first: unreadable data is the input's fault, not the save's, and
    // a codec named by --wav-format is fitted to the input's rate and channels.
    RawFileFormat raw = ReadRawFileSettings();
    prompts.AskRawFileFormat(raw);
    LSoundSourceRef source = OpenSourceForLoad(input, ValidRawFileFormat(raw));
    if (source->IsError()) {
        return Fail(UnreadableInputMessage(input));
    }
    SaveMode mode = SaveMode::kPlain;
    if (options.wav_format && FileKindOf(output) == FileKind::kWave) {
        std::optional<FormatArea> format = WaveFormatByName(
            *options.wav_format, static_cast<std::uint32_t>(source->GetSampleRate()),
            source->GetChannels());
        if (!format) {
            return Fail("formato WAV desconocido: \"" + *options.wav_format + "\"");
        }
        prompts.SetWaveFormat(*format);
        mode = SaveMode::kNewName;
    } else if (RawOptionsGiven(options) && FileKindOf(output) == FileKind::kRaw) {
        mode = SaveMode::kNewName;
    }
    source = LSoundSourceRef();
    return convert(mode);
}

// A file that a decoder reads (a component, or FFmpeg's libraries) decoded into its temporary WAV
// file, as a process of its own.
class LDecodeForInfo final : public LProgressDialog {
  public:
    LDecodeForInfo(std::string path, DecodedFile& decoded)
        : LProgressDialog("Sonvara"), path_(std::move(path)), decoded_(decoded) {}

  protected:
    ProcessResult Body() override { return decoded_.Decode(*this, path_); }

  private:
    std::string path_;
    DecodedFile& decoded_;
};

int Info(const Options& options, BatchPrompts& prompts) {
    if (options.files.size() != 1) {
        return Fail("info necesita un ARCHIVO (--help)");
    }
    const std::string& path = options.files[0];
    if (const auto fault = InputFileProblem(path, true)) {
        return Fail(*fault);
    }
    const FileKind kind = FileKindOf(path);
    RawFileFormat raw = ReadRawFileSettings();
    prompts.AskRawFileFormat(raw);
    raw = ValidRawFileFormat(raw);
    DecodedFile decoded;
    std::string read_path = path;
    if (ExternalDecoderOf(path) != ExternalDecoder::kNone) {
        LDecodeForInfo decode(path, decoded);
        const int messages = prompts.MessagesShown();
        const ProcessResult result = RunProcess(decode, prompts);
        if (result != PROCESS_DONE) {
            return ExitFor(result, "no se pudo decodificar \"" + path + "\"",
                           prompts.MessagesShown() > messages);
        }
        read_path = decoded.WavePath();
    }
    LSoundSourceRef source = OpenSourceForLoad(read_path, raw);
    if (source->IsError()) {
        return Fail(UnreadableInputMessage(path));
    }
    // Compressed data knows its length only once decoded: read it through (measuring it, when
    // its loudness is asked).
    std::optional<LoudnessReport> loudness;
    if (options.loudness != Options::Loudness::kNone) {
        LPRMeasureLoudness measure(source, 0, -1);
        const int messages = prompts.MessagesShown();
        const ProcessResult result = RunProcess(measure, prompts);
        if (result != PROCESS_DONE) {
            return ExitFor(result, "no se pudo medir la sonoridad de \"" + path + "\"",
                           prompts.MessagesShown() > messages);
        }
        loudness = measure.Report();
        if (options.loudness == Options::Loudness::kValues) {
            std::printf("%s", LoudnessKeyValues(*loudness).c_str());
            return kExitDone;
        }
    }
    std::vector<Sample> block(static_cast<std::size_t>(kBlockFrames) *
                              static_cast<std::size_t>(source->GetChannels()));
    while (source->GetPosition() < source->GetLength()) {
        source->Read(block.data(), kBlockFrames);
    }
    const std::int32_t frames = source->GetLength();
    std::string kind_text;
    std::optional<std::string> coding;
    switch (kind) {
        case FileKind::kWave:
            kind_text = "WAV";
            coding = SndfileCodingOf(path);
            break;
        case FileKind::kAiff:
            kind_text = "AIFF";
            coding = SndfileCodingOf(path);
            break;
        case FileKind::kAu:
            kind_text = "AU";
            coding = SndfileCodingOf(path);
            break;
        case FileKind::kRaw:
            kind_text = std::string("RAW (") +
                        RawEncodingName(static_cast<RawEncoding>(raw.encoding)) + ")";
            break;
        case FileKind::kGsm:
            kind_text = "GSM";
            break;
        case FileKind::kMp3:
            kind_text = "MP3";
            break;
        case FileKind::kSndfile:
            kind_text = FileFormatOf(path)->name;
            coding = SndfileCodingOf(path);
            break;
        case FileKind::kDecodedByComponent:
        case FileKind::kMpeg4Audio:
            kind_text = FileFormatOf(path)->name;
            if (ExternalDecoderOf(path) == ExternalDecoder::kFfmpeg) {
                coding = FfmpegCodingOf(path);
            }
            break;
        case FileKind::kUnknown:  // refused above
            break;
    }
    std::printf("archivo: %s\ntipo: %s\n", options.stream_types[0].empty() ? path.c_str() : "-",
                kind_text.c_str());
    if (coding) {
        std::printf("codificación: %s\n", coding->c_str());
    }
    std::printf("tasa: %d Hz\ncanales: %d\nduración: %d muestras (%s)\n", source->GetSampleRate(),
                source->GetChannels(), frames,
                LSoundTime(MillisecondsFromFrames(frames, source->GetSampleRate()))
                    .MillisecondsText()
                    .c_str());
    if (const FileTags tags = ReadFileTags(path); !tags.Empty()) {
        std::printf("etiquetas:\n");
        for (const TagField& field : kTagFields) {
            if (!(tags.*field.value).empty()) {
                std::printf("  %s: %s\n", field.label, (tags.*field.value).c_str());
            }
        }
    }
    if (loudness) {
        std::printf("sonoridad (EBU R 128):\n");
        std::istringstream lines(LoudnessText(*loudness));
        for (std::string line; std::getline(lines, line);) {
            std::printf("  %s\n", line.c_str());
        }
    }
    return kExitDone;
}

// Which of a command's files are read and which are written: the last file of convert and effect
// is written, every other file is read.
bool IsWritten(const Options& options, std::size_t index) {
    return (options.command == "convert" || options.command == "effect") &&
           index + 1 == options.files.size() && index > 0;
}

// Runs `run` with every file named "-" replaced by a file of `streams`, and sends a written one
// to standard output when the run is done.
template <typename Run>
int WithStandardStreams(const Options& options, StandardStreams& streams, Run run) {
    Options settled = options;
    std::optional<std::string> written;
    std::size_t read_from_stdin = 0;
    for (std::size_t i = 0; i < settled.files.size(); ++i) {
        if (settled.files[i] != "-") {
            continue;
        }
        std::string problem;
        std::optional<std::string> path;
        if (IsWritten(settled, i)) {
            path = streams.Output(settled.stream_types[i], problem);
            written = path;
        } else if (++read_from_stdin > 1) {
            return Fail("la entrada estándar solo puede leerse una vez");
        } else {
            path = streams.Input(settled.stream_types[i], problem);
        }
        if (!path) {
            return Fail(problem);
        }
        settled.files[i] = *path;
    }
    if (settled.command == "run" && read_from_stdin > 0) {
        // The result of standard input goes to standard output.
        if (settled.files.size() != 1) {
            return Fail("run con \"-\" trabaja con ese archivo solo");
        }
        settled.batch.out = GetFolderFromPath(settled.files[0]);
        settled.batch.saved = &settled.saved;
    }
    const int status = run(settled);
    if (status != kExitDone) {
        return status;
    }
    if (settled.command == "run" && read_from_stdin > 0) {
        if (settled.saved.size() != 1) {
            return Fail("run no guardó el archivo de la entrada estándar");
        }
        written = settled.saved[0];
    }
    std::string problem;
    if (written && !streams.Send(*written, problem)) {
        return Fail(problem);
    }
    return status;
}

// This program's file, for the runs of --jobs.
std::string ProgramPath() {
    std::string path(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    path.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return path;
}

int Dispatch(const Options& options, BatchPrompts& prompts) {
    if (options.command == "convert") {
        return Convert(options, prompts);
    }
    if (options.command == "info") {
        return Info(options, prompts);
    }
    if (options.command == "effect") {
        if (options.files.size() != 3) {
            return Fail("effect necesita EFECTO, ENTRADA y SALIDA (--help)");
        }
        return RunEffectVerb({options.files[0], options.files[1], options.files[2],
                              options.wav_format, RawOptionsGiven(options), options.bits},
                             prompts);
    }
    if (options.command == "run") {
        BatchRunOptions batch = options.batch;
        batch.files = options.files;
        batch.program = ProgramPath();
        batch.run_options.insert(batch.run_options.begin(), "run");
        return RunBatch(batch, prompts);
    }
    if (options.command == "script") {
        if (options.files.size() != 2 || options.files[0] != "show") {
            return Fail("script necesita \"show LISTA.svb\" (--help)");
        }
        return ShowBatchScript(options.files[1]);
    }
    if (options.command == "commands") {
        return ListBatchCommands();
    }
    if (options.command == "effects") {
        return ListEffects();
    }
    if (options.command == "formats") {
        return ListFileFormats();
    }
    if (options.command == "plugins") {
        return ListPlugins();
    }
    return Fail("orden desconocida: " + options.command + " (--help)");
}

int Main(int argc, char** argv) {
    Options options;
    if (std::optional<std::string> problem = ParseOptions(argc, argv, options)) {
        return Fail(*problem);
    }
    if (options.version) {
        std::printf("sonvara-batch %s\n", SONVARA_VERSION);
        return kExitDone;
    }
    if (options.help || options.command.empty()) {
        std::fputs(kUsage, options.help ? stdout : stderr);
        return options.help ? kExitDone : kExitFailed;
    }
    if (options.raw_rate) {
        if (std::optional<PromptMessage> problem = CheckRawSampleRate(*options.raw_rate)) {
            return Fail(problem->text);
        }
    }
    UseSettingsStore(std::make_shared<IniSettingsFile>(DefaultSettingsPath()));
    // A reader of standard output that goes away makes the write fail, and the run says so.
    std::signal(SIGPIPE, SIG_IGN);
    if (!options.compression.empty()) {
        // Stored as the editor's options dialogs store them, for this run and the next.
        CompressionSettings settings = ReadCompressionSettings();
        for (const auto& [field, number] : options.compression) {
            settings.*field->value = number;
        }
        WriteCompressionSettings(settings);
    }
    if (!options.mp3_options.empty()) {
        // Stored as the editor's MP3 options dialog stores them, for this run and the next.
        Mp3EncoderSettings settings = ReadMp3EncoderSettings();
        for (const auto& [option, text] : options.mp3_options) {
            std::optional<Mp3EncoderSettings> parsed = ParseMp3Option(option, text, settings);
            if (!parsed) {
                return Fail(
                    option == "--mp3-cbr"
                        ? "--mp3-cbr necesita una tasa de 8 a 320 kbit/s"
                        : "--mp3-vbr necesita MIN,MAX,Q (MIN y MAX de 8 a 320, Q de 0 a 9)");
            }
            settings = *parsed;
        }
        WriteMp3EncoderSettings(settings);
    }
    BatchPrompts prompts;
    prompts.SetRawOverrides(options.raw_rate, options.raw_encoding, options.raw_channels);
    StandardStreams streams;
    const int status = WithStandardStreams(
        options, streams, [&](Options& settled) { return Dispatch(settled, prompts); });
    streams.Remove();
    return status;
}

}  // namespace
}  // namespace sonvara

int main(int argc, char** argv) {
    return sonvara::Main(argc, argv);
}
