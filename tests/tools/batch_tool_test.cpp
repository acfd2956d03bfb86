// sonvara-batch as a script sees it: exit status, one line on stderr, the files it writes, and
// settings and working files kept where XDG_CONFIG_HOME and XDG_DATA_HOME say.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "audio/wav/wave_file.h"
#include "core/settings.h"
#include "document/cut_tank.h"
#include "effects/compressor.h"
#include "effects/dc_offset.h"
#include "effects/echo.h"
#include "effects/envelope.h"
#include "effects/equalizer.h"
#include "effects/reverse.h"
#include "effects/speed_pitch.h"
#include "formats/load_save.h"
#include "tests/support/file_contents.h"
#include "tests/support/run_process.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/wait_until.h"
#include "tests/support/wave_writer.h"

namespace sonvara {
namespace {

using testing::FileText;

class BatchToolTest : public ::testing::Test {
  protected:
    struct Outcome {
        int status;
        std::string out;
        std::string err;
    };

    // Runs the tool with `arguments` (already quoted for the shell; a "<FILE" among them is its
    // standard input, else nothing) in the scratch folder, with
    // the variable settings in `environment` ("NAME='value' ...") besides the XDG folders. A run
    // that would never end is stopped after a minute (status 124).
    Outcome Batch(const std::string& arguments, const std::string& environment = "") {
        const std::string out = scratch_.File("stdout.txt");
        const std::string err = scratch_.File("stderr.txt");
        const std::string command = "cd '" + scratch_.Path() + "' && XDG_CONFIG_HOME='" +
                                    scratch_.File("config") + "' XDG_DATA_HOME='" +
                                    scratch_.File("data") + "' " + environment +
                                    " /usr/bin/timeout 60 '" SONVARA_BATCH "' </dev/null " +
                                    arguments + " >'" + out + "' 2>'" + err + "'";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, FileText(out), FileText(err)};
    }

    // Writes `text` as the settings file the tool reads.
    void Settings(const std::string& text) {
        std::filesystem::create_directories(scratch_.File("config/Vellumtone"));
        std::ofstream(scratch_.File("config/Vellumtone/Sonvara.conf")) << text;
    }

    // A 16-bit WAV of `frames` frames of a quiet rising signal.
    std::string Wave(const std::string& name, std::int32_t rate, int channels,
                     std::int32_t frames) {
        const std::string path = scratch_.File(name);
        std::vector<Sample> samples(static_cast<std::size_t>(frames) *
                                    static_cast<std::size_t>(channels));
        for (std::size_t i = 0; i < samples.size(); ++i) {
            samples[i] = static_cast<Sample>(i % 1000) * 16;
        }
        EXPECT_TRUE(testing::WriteWave16(path, samples, rate, channels));
        return path;
    }

    // The names in the scratch folder, without the tool's output, settings and data folders.
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(scratch_.Path())) {
            const std::string name = entry.path().filename().string();
            if (name != "stdout.txt" && name != "stderr.txt" && name != "config" &&
                name != "data" && name != "tmp") {
                names.insert(name);
            }
        }
        return names;
    }

    // The WAV files that saves have handed to the MP3 encoder, in the temporary folder "tmp".
    int EncoderInputs() const {
        int count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(scratch_.File("tmp"))) {
            count += entry.path().filename().string().starts_with("_mp3enctmp") ? 1 : 0;
        }
        return count;
    }
    // Long enough for a save to start on a loaded machine.
    static constexpr std::chrono::seconds kSaveWait{10};

    const std::string input_ = std::string(SONVARA_WAV_DATA_DIR) + "/in_stereo.wav";
    testing::ScratchFolder scratch_;
};

TEST_F(BatchToolTest, ConvertsThroughTheDispatch) {
    Outcome done = Batch("convert '" + input_ + "' out.aiff");
    ASSERT_EQ(done.status, 0) << done.err;
    EXPECT_EQ(done.err, "");
    EXPECT_TRUE(done.out.empty());  // no progress bar off a terminal

    Outcome back = Batch("convert out.aiff back.wav");
    ASSERT_EQ(back.status, 0) << back.err;
    LSoundSourceRef original = LWaveFile::OpenSource(input_);
    LSoundSourceRef copy = LWaveFile::OpenSource(scratch_.File("back.wav"));
    ASSERT_EQ(copy->GetLength(), original->GetLength());
    std::vector<Sample> a(4006), b(4006);
    original->Read(a.data(), 2003);
    copy->Read(b.data(), 2003);
    EXPECT_EQ(a, b);

    Outcome coded = Batch("convert back.wav coded.wav --wav-format ima");
    ASSERT_EQ(coded.status, 0) << coded.err;
    std::ifstream file(scratch_.File("coded.wav"), std::ios::binary);
    char header[22];
    file.read(header, sizeof header);
    EXPECT_EQ(header[20], 0x11);  // IMA ADPCM
}

TEST_F(BatchToolTest, ConvertsWhatADecoderComponentReads) {
    // A Windows Media file goes through sonvara-wmakx, which the build puts beside the tool.
    ASSERT_EQ(std::system(("ffmpeg -nostdin -v quiet -f lavfi -i sine=f=440:d=2:r=22050 "
                           "-ac 2 -c:a wmav2 -y '" +
                           scratch_.File("in put.wma") + "'")
                              .c_str()),
              0);
    Outcome done = Batch("convert 'in put.wma' out.wav");
    ASSERT_EQ(done.status, 0) << done.err;
    LSoundSourceRef decoded = LWaveFile::OpenSource(scratch_.File("out.wav"));
    EXPECT_EQ(decoded->GetSampleRate(), 22050);
    EXPECT_EQ(decoded->GetChannels(), 2);
    EXPECT_NEAR(decoded->GetLength(), 44100, 2048);

    Outcome refused = Batch("convert 'in put.wma' coded.wav --wav-format ima");
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("--wav-format"), std::string::npos) << refused.err;

    // info decodes it first, as a load does.
    Outcome info = Batch("info 'in put.wma'");
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("tipo: Windows Media Audio\ntasa: 22050 Hz\ncanales: 2\n"),
              std::string::npos)
        << info.out;
}

TEST_F(BatchToolTest, FailuresSayWhatAndExitWithTwo) {
    struct Case {
        std::string arguments;
        std::string message;
    };
    // Files that exist: one no reader knows, one only a decoder component reads.
    std::ofstream(scratch_.File("notes.txt")) << "text";
    std::ofstream(scratch_.File("talk.wma")) << "not decoded here";
    for (const Case& c : {
             Case{"convert missing.wav out.wav", "no se encuentra el archivo \"missing.wav\""},
             Case{"convert notes.txt out.wav", "extensión desconocida: \"notes.txt\""},
             Case{"convert '" + input_ + "' out.xyz", "extensión desconocida: \"out.xyz\""},
             Case{"effect reverse missing.wav out.wav",
                  "no se encuentra el archivo \"missing.wav\""},
             Case{"effect reverse notes.txt out.wav", "extensión desconocida: \"notes.txt\""},
             Case{"effect reverse '" + input_ + "' out.xyz", "extensión desconocida: \"out.xyz\""},
             Case{"info missing.wav", "no se encuentra el archivo \"missing.wav\""},
             // info decodes a file that a decoder reads, as a load does.
             Case{"info talk.wma", "The wma decoder component could not decode \"talk.wma\"."},
             Case{"convert '" + input_ + "' out.mp3 --mp3-cbr 7",
                  "--mp3-cbr necesita una tasa de 8 a 320 kbit/s"},
             Case{"convert '" + input_ + "' out.mp3 --mp3-vbr 64,32,4",
                  "--mp3-vbr necesita MIN,MAX,Q (MIN y MAX de 8 a 320, Q de 0 a 9)"},
             Case{"convert '" + input_ + "' out.mp3 --bits 24",
                  "el formato de \"out.mp3\" no admite esa anchura de muestra (--bits)"},
             Case{"convert '" + input_ + "' out.wav --bits 12",
                  "--bits necesita 16, 24, 32 o float"},
             Case{"convert '" + input_ + "' out.wav --wav-format nothing",
                  "formato WAV desconocido: \"nothing\""},
             Case{"convert '" + input_ + "' /no/such/folder/out.wav",
                  "No se puede crear el archivo \"/no/such/folder/out.wav\"Para guardar."},
             Case{"info x.raw --raw-rate 5000",
                  "Las tasas de muestra deben estar entre 6000 y 96000 muestras por segundo."},
             Case{"convert", "convert necesita ENTRADA y SALIDA (--help)"},
             Case{"effect reverse out.wav", "effect necesita EFECTO, ENTRADA y SALIDA (--help)"},
             Case{"effect wobble '" + input_ + "' out.wav",
                  "efecto desconocido: \"wobble\" (sonvara-batch --help)"},
             Case{"effect fade-in:10s '" + input_ + "' out.wav",
                  "el tiempo 10s pasa del final del archivo (0:00:00.250)"},
             Case{"frobnicate", "orden desconocida: frobnicate (--help)"},
         }) {
        SCOPED_TRACE(c.arguments);
        Outcome failed = Batch(c.arguments);
        EXPECT_EQ(failed.status, 2);
        EXPECT_EQ(failed.err, "sonvara-batch: " + c.message + "\n");
    }
    std::ofstream(scratch_.File("noise.wav")) << "not a wave file at all";
    Outcome unreadable = Batch("convert noise.wav out.wav");
    EXPECT_EQ(unreadable.status, 2);
    EXPECT_EQ(unreadable.err, "sonvara-batch: datos ilegibles en \"noise.wav\"\n");
}

TEST_F(BatchToolTest, EachEffectGivesTheFileTheLibrarysEffectGives) {
    // The library's effects run here, with cut files in a tank and settings of their own.
    struct Isolation {
        std::unique_ptr<LAudioCutTank> tank;
        std::shared_ptr<SettingsStore> settings = UseSettingsStore(nullptr);
        ~Isolation() {
            UseCutTank(std::move(tank));
            UseSettingsStore(settings);
        }
    } isolation{UseCutTank(std::make_unique<LAudioCutTank>(scratch_.File("work")))};
    // 2.5 s of stereo, more than two blocks, all above zero (a DC offset to take away).
    Wave("take.wav", 8000, 2, 20000);
    auto samples = [&](const std::string& name) {
        LSoundSourceRef source = LWaveFile::OpenSource(scratch_.File(name));
        std::vector<Sample> all(static_cast<std::size_t>(source->GetLength()) * 2);
        source->Read(all.data(), source->GetLength());
        return all;
    };
    auto run = [](LProgressDialog&& process) { return testing::RunProcess(process); };
    struct Case {
        std::string effect;
        std::function<ProcessResult(LCutListAudio&)> library;
    };
    // The typed values in the library's terms: 1 s is 8000 frames, 25 % is 5000; 1000 Hz is
    // x 12.75 on the equalizer's 0 to 20000 Hz; 150 % there is y 192, -6 dB is y 64 anywhere;
    // 150 % on the envelope's scale (200 % at 255) is y 191.25.
    for (const Case& c : std::vector<Case>{
             {"fade-in:0.5",
              [&](auto& d) {
                  return run(EfFadeIn(d, {0, 4000}));
              }},
             {"fade-out:25%",
              [&](auto& d) {
                  return run(EfFadeOut(d, {15000, 20000}));
              }},
             {"fade-out-trim:1.5,25%",
              [&](auto& d) {
                  return run(EfFadeOutAndTrim(d, {7000, 12000}));
              }},
             {"reverse",
              [&](auto& d) {
                  return run(LEfReverse(d, {0, 20000}));
              }},
             {"dc-offset",
              [&](auto& d) {
                  return run(EfDCOffsetCorrection(d, {0, 20000}));
              }},
             {"silence:500ms,0:01",
              [&](auto& d) {
                  d.Silence(4000, 8000);
                  return PROCESS_DONE;
              }},
             {"equalizer:0:100%,1000:150%,4kHz:50%,20000:-6dB",
              [&](auto& d) {
                  PointList points;
                  points.n_points = 4;
                  points.points = {{{0, 128}, {13, 192}, {51, 64}, {255, 64}}};
                  return run(EfEqualiser(d, {0, 20000}, points));
              }},
             {"envelope:0:0%,1s:100%,75%:150%,100%:50",
              [&](auto& d) {
                  return run(
                      LEfEnvelope(d, {0, 20000}, {{{0, 0}, {102, 128}, {191, 191}, {255, 64}}}));
              }},
             // The registered effects by their ids, with their values in their units.
             {"echo:120ms,40%",
              [&](auto& d) {
                  return run(EfEcho(d, {0, 20000}, {.time_ms = 120, .gain_percent = 40}));
              }},
             {"compressor:-20dB,2:1,0",
              [&](auto& d) {
                  return run(EfCompressor(d, {0, 20000}, {-20, 2, 0}));
              }},
             {"tempo:150",
              [&](auto& d) {
                  return run(LEfChangeSpeedPitch(d, {0, 20000}, {150, kSpeedPitchConstantPitch}));
              }},
         }) {
        SCOPED_TRACE(c.effect);
        Outcome done = Batch("effect '" + c.effect + "' take.wav out.wav");
        ASSERT_EQ(done.status, 0) << done.err;
        EXPECT_EQ(done.err, "");
        LCutListAudio document;
        SVLoadFile load(scratch_.File("take.wav"), document, false);
        ASSERT_EQ(run(std::move(load)), PROCESS_DONE);
        ASSERT_EQ(c.library(document), PROCESS_DONE);
        ASSERT_EQ(run(LSVSaveToSink(document, scratch_.File("expected.wav"), SaveMode::kPlain)),
                  PROCESS_DONE);
        const std::vector<Sample> expected = samples("expected.wav");
        EXPECT_NE(expected, samples("take.wav"));
        EXPECT_EQ(samples("out.wav"), expected);
    }
}

TEST_F(BatchToolTest, SavesMp3ThroughTheEncoderWithTheGivenBitRate) {
    Outcome saved = Batch("convert '" + input_ + "' 'my song.mp3' --mp3-cbr 64");
    ASSERT_EQ(saved.status, 0) << saved.err;
    EXPECT_EQ(saved.err, "");
    Outcome info = Batch("info 'my song.mp3'");
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("tipo: MP3\ntasa: 8000 Hz\ncanales: 2\n"), std::string::npos)
        << info.out;
    const std::string settings = FileText(scratch_.File("config/Vellumtone/Sonvara.conf"));
    EXPECT_NE(settings.find("ConstantBitRate=1"), std::string::npos) << settings;
    EXPECT_NE(settings.find("CBRBitRate=64"), std::string::npos) << settings;

    // Without the encoder: the message says how to get it, and nothing is written.
    Outcome missing = Batch("convert '" + input_ + "' other.mp3", "PATH=/nonexistent");
    EXPECT_EQ(missing.status, 2);
    EXPECT_TRUE(missing.err.starts_with(
        "sonvara-batch: The mp3 encoder component \"mp3kx\" has not yet been installed."))
        << missing.err;
    EXPECT_FALSE(std::ifstream(scratch_.File("other.mp3")).good());
}

// An M4A output is encoded at the given bit rate (kept for the next run) with the input's tags;
// info names its coding and lists the tags.
TEST_F(BatchToolTest, M4aOutputsTakeTheBitRateAndTheInputsTags) {
    ASSERT_EQ(std::system(("cd '" + scratch_.Path() + "' && flac -s -T TITLE=Nana -T ARTIST=Ana " +
                           "-o song.flac '" + input_ + "' 2>/dev/null")
                              .c_str()),
              0);
    Outcome saved = Batch("convert song.flac song.m4a --aac-kbps 96");
    ASSERT_EQ(saved.status, 0) << saved.err;
    Outcome info = Batch("info song.m4a");
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("tipo: MPEG-4 Audio\ncodificación: MPEG-4 Audio, AAC\n"),
              std::string::npos)
        << info.out;
    EXPECT_NE(info.out.find("etiquetas:\n  Título: Nana\n  Artista: Ana\n"), std::string::npos)
        << info.out;
    EXPECT_NE(
        FileText(scratch_.File("config/Vellumtone/Sonvara.conf")).find("[AacEncoder]\nBitRate=96"),
        std::string::npos);
    EXPECT_EQ(Batch("convert song.flac x.m4a --aac-kbps 8").err,
              "sonvara-batch: --aac-kbps necesita un número de 16 a 512\n");
}

// LV2 plug-ins: listed with their ports, run by URI and values, kept in a saved list, which a
// machine without the plug-in refuses naming it.
TEST_F(BatchToolTest, PluginsAreListedRunByUriAndNamedWhereMissing) {
    const Outcome listed = Batch("plugins");
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_NE(listed.out.find("Simple amplifier\n  http://plugin.org.uk/swh-plugins/amp\n"
                              "  Amplifier Plugin, mono\n    gain  Amps gain (dB): -70 a 70, 0\n"),
              std::string::npos);
    EXPECT_NE(listed.out.find("  http://drobilla.net/plugins/mda/JX10: necesita MIDI\n"),
              std::string::npos);

    ASSERT_EQ(std::system(("cd '" + scratch_.Path() +
                           "' && sox -n -r 44100 -c 2 -b 16 tone.wav synth 5 sine 1000 vol "
                           "-30dB 2>/dev/null")
                              .c_str()),
              0);
    const std::string amp = "lv2:http://plugin.org.uk/swh-plugins/amp:gain=-6";
    Outcome quieter = Batch("effect " + amp + " tone.wav quieter.wav");
    ASSERT_EQ(quieter.status, 0) << quieter.err;
    const Outcome values = Batch("info --loudness-values quieter.wav");
    EXPECT_NEAR(std::stod(values.out.substr(16, values.out.find('\n') - 16)), -36.0, 0.1)
        << values.out;

    ASSERT_EQ(Batch("run --command " + amp + " --save-script amp.svb").status, 0);
    const Outcome shown = Batch("script show amp.svb");
    EXPECT_NE(shown.out.find("Simple amplifier: gain=-6"), std::string::npos) << shown.out;
    std::filesystem::create_directories(scratch_.File("no-plugins"));
    const Outcome elsewhere = Batch("run --script amp.svb --out same tone.wav",
                                    "LV2_PATH='" + scratch_.File("no-plugins") + "'");
    EXPECT_EQ(elsewhere.status, 2);
    EXPECT_NE(elsewhere.err.find("\"http://plugin.org.uk/swh-plugins/amp\" no está instalado"),
              std::string::npos)
        << elsewhere.err;
}

TEST_F(BatchToolTest, LoudnessIsMeasuredAndNormalizedToATarget) {
    ASSERT_EQ(std::system(("cd '" + scratch_.Path() +
                           "' && sox -n -r 48000 -c 2 -b 16 quiet.flac synth 10 sine 1000 vol "
                           "-30dB 2>/dev/null")
                              .c_str()),
              0);
    Outcome normalized = Batch("effect loudness:-16,-1 quiet.flac podcast.flac");
    ASSERT_EQ(normalized.status, 0) << normalized.err;
    Outcome values = Batch("info --loudness-values podcast.flac");
    ASSERT_EQ(values.status, 0) << values.err;
    // One key=value a line, the integrated loudness first.
    const std::string first = values.out.substr(0, values.out.find('\n'));
    ASSERT_EQ(first.rfind("integrated_lufs=", 0), 0u) << values.out;
    EXPECT_NEAR(std::stod(first.substr(16)), -16.0, 0.1);
    EXPECT_NE(values.out.find("\ntrue_peak_dbtp="), std::string::npos);
    EXPECT_EQ(values.out.find("tasa:"), std::string::npos);

    // The batch converter's command 18 does the same.
    Outcome run = Batch("run --command 18:-16,-1 --format .wav --out ran quiet.flac");
    ASSERT_EQ(run.status, 0) << run.err;
    const Outcome ran = Batch("info --loudness-values ran/quiet.wav");
    EXPECT_NEAR(std::stod(ran.out.substr(16, ran.out.find('\n') - 16)), -16.0, 0.1) << ran.out;

    Outcome text = Batch("info --loudness quiet.flac");
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("tasa: 48000 Hz\n"), std::string::npos);
    EXPECT_NE(text.out.find("sonoridad (EBU R 128):\n  Sonoridad integrada: -30.0 LUFS\n"),
              std::string::npos)
        << text.out;
}

TEST_F(BatchToolTest, RawOptionsApplyAndAreKept) {
    ASSERT_EQ(
        Batch("convert '" + input_ + "' speech.raw --raw-format \"G711 aLaw\" --raw-rate 8000")
            .status,
        0);
    // Stored like the editor's dialog stores them: the next run needs no options.
    Outcome info = Batch("info speech.raw");
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(info.out,
              "archivo: speech.raw\ntipo: RAW (G711 aLaw)\ntasa: 8000 Hz\ncanales: 1\n"
              "duración: 2003 muestras (0:00:00.250)\n");
    EXPECT_NE(FileText(scratch_.File("config/Vellumtone/Sonvara.conf")).find("VoxRawFileFormat=2"),
              std::string::npos);
}

TEST_F(BatchToolTest, RunsCommandListsAndSavesThemAsScripts) {
    Outcome saved = Batch("run --command 'Normalizador:95' --command 7:800,50 --save-script l.svb");
    ASSERT_EQ(saved.status, 0) << saved.err;
    Outcome shown = Batch("script show l.svb");
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.out,
              "Comando\tOpciones\n"
              "Normalizador\tNormalizar al más alto nivel (%) = 95\n"
              "Eco\t Tiempo de Eco (mins.) = 800, Ganancia de Eco (%) = 50\n");

    Outcome run = Batch("run --script l.svb --command 3 --format .au --out out '" + input_ + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    std::ifstream result(scratch_.File("out/in_stereo.au"), std::ios::binary);
    ASSERT_TRUE(result.good());
    EXPECT_NE(run.err.find("No existe"), std::string::npos);  // the folder question, answered

    Outcome commands = Batch("commands");
    EXPECT_EQ(commands.status, 0);
    EXPECT_NE(commands.out.find("17  Convertir los Canales (Mono <-> Estéreo): canales"),
              std::string::npos);
}

TEST_F(BatchToolTest, RunFailuresNameTheFileAndTheStep) {
    Outcome refused = Batch("run --command 7:5,50 '" + input_ + "'");
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.err,
              "sonvara-batch: El tiempo de Eco debe ser entre 10 y 3000ms. Por favor, intente de "
              "nuevo .\n");
    Outcome missing = Batch("run --command 3:50 --out same --format same missing.wav");
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "sonvara-batch: falló \"missing.wav\" en el paso \"cargar\"\n");
    EXPECT_EQ(Batch("run --command 99 x.wav").status, 2);
    EXPECT_EQ(Batch("run --command 3:1,2 x.wav").status, 2);
    EXPECT_EQ(Batch("run --format .ogg x.wav").status, 2);
    EXPECT_EQ(Batch("run").status, 2);
    // A script's values are checked as typed ones are: nothing runs, nothing is written.
    std::ofstream(scratch_.File("s.svb"), std::ios::binary)
        << std::string("\0\1\0\0\0\4\0\0\0\xFF\xFF\xFF\x7F", 13);
    const std::string copy = scratch_.File("copy.wav");
    std::filesystem::copy_file(input_, copy);
    Outcome script = Batch("run --script s.svb --format same --out same copy.wav");
    EXPECT_EQ(script.status, 2);
    EXPECT_EQ(script.err.find("sonvara-batch: s.svb: orden 1, \"Insertar Silencio al comienzo\" "
                              "(tiempo (ms) = 2147483647): "),
              0u)
        << script.err;
    EXPECT_EQ(FileText(copy), FileText(input_));
    std::ofstream(scratch_.File("v1.svb"), std::ios::binary) << '\x01';
    Outcome version = Batch("script show v1.svb");
    EXPECT_EQ(version.status, 2);
    EXPECT_NE(version.err.find("no tiene la misma versión"), std::string::npos);
}

// One input's result would replace another input, or two inputs would have one result: the run
// stops before anything is written, naming both files. A file replaced by its own result is not
// such a case.
TEST_F(BatchToolTest, ARunThatWouldReplaceAnotherInputStopsBeforeItStarts) {
    Wave("a.wav", 8000, 1, 4000);
    std::ofstream(scratch_.File("a.au")) << "the user's own file";
    const std::string wav = FileText(scratch_.File("a.wav"));
    const Outcome replaced = Batch("run --command 3:100 --format .wav --out same a.au a.wav");
    EXPECT_EQ(replaced.status, 2);
    EXPECT_NE(replaced.err.find("\"a.au\""), std::string::npos) << replaced.err;
    EXPECT_NE(replaced.err.find("\"a.wav\""), std::string::npos) << replaced.err;
    EXPECT_EQ(FileText(scratch_.File("a.wav")), wav);
    EXPECT_EQ(FileText(scratch_.File("a.au")), "the user's own file");

    for (const char* folder : {"one", "two", "out"}) {
        std::filesystem::create_directories(scratch_.File(folder));
    }
    Wave("one/x.wav", 8000, 1, 4000);
    Wave("two/x.wav", 8000, 1, 2000);
    const Outcome shared = Batch("run --command 3:100 --format same --out out one/x.wav two/x.wav");
    EXPECT_EQ(shared.status, 2);
    EXPECT_NE(shared.err.find("\"one/x.wav\" y \"two/x.wav\""), std::string::npos) << shared.err;
    EXPECT_TRUE(std::filesystem::is_empty(scratch_.File("out")));

    EXPECT_EQ(Batch("run --command 3:50 --format same --out same a.wav one/x.wav").status, 0);
    EXPECT_NE(FileText(scratch_.File("a.wav")), wav);
}

TEST_F(BatchToolTest, FilesTheEditorCannotTakeFailAtOnceAndLeaveNothing) {
    struct Input {
        std::string name;
        std::int32_t rate;
        int channels;
    };
    for (const Input& input :
         {Input{"surround.wav", 48000, 6}, Input{"three.wav", 8000, 3}, Input{"slow.wav", 10, 1}}) {
        Wave(input.name, input.rate, input.channels, input.rate / 2);
        const std::set<std::string> before = Names();
        for (const std::string output : {"out.gsm", "out.wav", "out.mp3"}) {
            SCOPED_TRACE(input.name + " to " + output);
            if (input.channels == 1 && output == "out.wav") {
                continue;  // a 10 Hz WAV stays a 10 Hz WAV: nothing needs converting
            }
            Outcome failed = Batch("convert " + input.name + " " + output);
            EXPECT_EQ(failed.status, 2);
            EXPECT_NE(failed.err.find("\"" + input.name + "\""), std::string::npos) << failed.err;
            EXPECT_EQ(Names(), before);
        }
        for (const std::string format : {"same", ".gsm"}) {
            SCOPED_TRACE(input.name + " run to " + format);
            if (input.channels == 1 && format == "same") {
                continue;
            }
            Outcome failed =
                Batch("run --command 3:50 --format " + format + " --out same " + input.name);
            EXPECT_EQ(failed.status, 2);
            EXPECT_NE(failed.err.find("\"" + input.name + "\""), std::string::npos) << failed.err;
            EXPECT_EQ(Names(), before);
        }
    }
    Outcome refused = Batch("convert surround.wav out.gsm");
    EXPECT_EQ(refused.err,
              "sonvara-batch: El archivo \"surround.wav\" tiene 6 canales; Sonvara solo trabaja "
              "con sonido mono o estéreo (1 o 2 canales).\n");
}

TEST_F(BatchToolTest, ADashIsStandardInputOrOutputInTheFormatTypeNames) {
    Wave("take.wav", 8000, 2, 20000);
    std::filesystem::create_directories(scratch_.File("tmp"));
    const std::string tmp = "TMPDIR='" + scratch_.File("tmp") + "'";
    // What a pipe gets is the file a name gets, sizes in its header included.
    ASSERT_EQ(Batch("convert take.wav named.au").status, 0);
    Outcome piped = Batch("convert --type wav - --type au - <take.wav", tmp);
    ASSERT_EQ(piped.status, 0) << piped.err;
    EXPECT_TRUE(piped.out == FileText(scratch_.File("named.au")));
    std::filesystem::create_directories(scratch_.File("o"));
    ASSERT_EQ(Batch("run --command 7:100,50 --format same --out o take.wav").status, 0);
    Outcome run = Batch("run --command 7:100,50 --type wav - <take.wav", tmp);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.out == FileText(scratch_.File("o/take.wav")));
    // Nothing is left in the temporary folder, after a success or a failure.
    Outcome unreadable = Batch("convert --type au - out.wav <take.wav", tmp);
    EXPECT_EQ(unreadable.status, 2);
    EXPECT_TRUE(std::filesystem::is_empty(scratch_.File("tmp")));

    Outcome untyped = Batch("convert take.wav -");
    EXPECT_EQ(untyped.status, 2);
    EXPECT_NE(untyped.err.find("--type"), std::string::npos) << untyped.err;
    Outcome version = Batch("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.starts_with("sonvara-batch ")) << version.out;
}

// Files worked on at once give the outputs one at a time gives; the first failure cancels the
// files being worked on and leaves the rest untouched, and each file's outcome is reported.
TEST_F(BatchToolTest, RunJobsWorkOnFilesAtOnceWithTheOutcomeOfOneAtATime) {
    std::string files;
    for (int i = 0; i < 5; ++i) {
        files += " f" + std::to_string(i) + ".wav";
        Wave("f" + std::to_string(i) + ".wav", 22050, 2, 30000 + 5000 * i);
    }
    for (const char* folder : {"one", "two", "bad"}) {
        std::filesystem::create_directories(scratch_.File(folder));
    }
    // Normalize goes through a document: two runs then share the working folder's parent.
    const std::string list = " --command 4:90 --command 7:100,50 --format same ";
    ASSERT_EQ(Batch("run --jobs 1" + list + "--out one" + files).status, 0);
    Outcome two = Batch("run --jobs 2" + list + "--out two" + files);
    ASSERT_EQ(two.status, 0) << two.err;
    for (int i = 0; i < 5; ++i) {
        const std::string name = "/f" + std::to_string(i) + ".wav";
        EXPECT_TRUE(FileText(scratch_.File("one" + name)) == FileText(scratch_.File("two" + name)))
            << name;
        EXPECT_NE(two.err.find("\"f" + std::to_string(i) + ".wav\": hecho"), std::string::npos);
    }
    EXPECT_NE(two.err.find("[5/5]"), std::string::npos) << two.err;

    // A failure has the outcome of one file at a time: the file before it (longer, still being
    // worked on) is finished, the one after it (short, done first) is not kept. f1 fails at its
    // end: a folder stands where its output goes.
    Wave("f0.wav", 22050, 2, 900000);
    Wave("f1.wav", 22050, 2, 600000);
    Wave("f2.wav", 22050, 2, 1000);
    std::filesystem::create_directories(scratch_.File("bad/f1.wav"));
    Outcome failed = Batch("run --jobs 3" + list + "--out bad" + files);
    EXPECT_EQ(failed.status, 2);
    EXPECT_NE(failed.err.find("\"f1.wav\": falló"), std::string::npos) << failed.err;
    std::set<std::string> written;
    for (const auto& entry : std::filesystem::directory_iterator(scratch_.File("bad"))) {
        written.insert(entry.path().filename().string());
    }
    EXPECT_EQ(written, (std::set<std::string>{"f0.wav", "f1.wav"})) << failed.err;
    EXPECT_TRUE(std::filesystem::is_directory(scratch_.File("bad/f1.wav")));
}

TEST_F(BatchToolTest, AWorkingFolderThatCannotBeMadeFailsTheRunAndKeepsTheFile) {
    const std::string file = Wave("take.wav", 8000, 1, 8000);
    const std::string before = FileText(file);
    std::ofstream(scratch_.File("plain")) << "a file, not a folder";
    Settings("[Settings]\nWorkingFolder=" + scratch_.File("plain/work") + "\n");
    // Normalize needs the whole file in a document first.
    Outcome failed = Batch("run --command 4:50 --format same --out same take.wav");
    EXPECT_EQ(failed.status, 2);
    EXPECT_NE(failed.err.find("\"" + scratch_.File("plain/work") + "\""), std::string::npos)
        << failed.err;
    EXPECT_NE(failed.err.find("falló \"take.wav\""), std::string::npos) << failed.err;
    EXPECT_EQ(FileText(file), before);
    // A list of stream filters writes no cut files: it needs no working folder.
    Outcome streamed = Batch("run --command 3:50 --format same --out same take.wav");
    EXPECT_EQ(streamed.status, 0) << streamed.err;
}

TEST_F(BatchToolTest, TerminationOrHangUpDuringASaveCancelsItAndRemovesItsFiles) {
    // An MP3 encoder that takes its time, so that the signal comes while the save waits for it.
    const std::string encoder = scratch_.File("slow-encoder");
    std::ofstream(encoder) << "#!/bin/sh\nexec sleep 30\n";
    std::filesystem::permissions(encoder, std::filesystem::perms::owner_all);
    Settings("[Components/mp3kx]\nPath=" + encoder + "\n");
    Wave("take.wav", 8000, 1, 8000);
    std::filesystem::create_directories(scratch_.File("tmp"));
    for (int signal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        const std::set<std::string> before = Names();
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::setenv("XDG_CONFIG_HOME", scratch_.File("config").c_str(), 1);
            ::setenv("XDG_DATA_HOME", scratch_.File("data").c_str(), 1);
            ::setenv("TMPDIR", scratch_.File("tmp").c_str(), 1);
            if (::chdir(scratch_.Path().c_str()) == 0 &&
                std::freopen(scratch_.File("stderr.txt").c_str(), "w", stderr) != nullptr) {
                ::execl(SONVARA_BATCH, SONVARA_BATCH, "convert", "take.wav", "out.mp3", nullptr);
            }
            ::_exit(127);
        }
        // Wait until the save has written the WAV file it hands to the encoder.
        EXPECT_TRUE(testing::WaitUntil([&] { return EncoderInputs() >= 1; }, kSaveWait));
        ::kill(child, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 1);
        EXPECT_EQ(FileText(scratch_.File("stderr.txt")), "sonvara-batch: cancelado\n");
        EXPECT_EQ(Names(), before);
        EXPECT_TRUE(std::filesystem::is_empty(scratch_.File("tmp")));
    }
}

// A run of several files at once, stopped while two of them wait for their encoder: both are
// cancelled and leave nothing, and the file not yet started stays as it was.
TEST_F(BatchToolTest, TerminatingARunOfJobsCancelsEveryRunningFile) {
    const std::string encoder = scratch_.File("slow-encoder");
    std::ofstream(encoder) << "#!/bin/sh\nexec sleep 30\n";
    std::filesystem::permissions(encoder, std::filesystem::perms::owner_all);
    Settings("[Components/mp3kx]\nPath=" + encoder + "\n");
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) {
        Wave(name, 8000, 1, 8000);
    }
    std::filesystem::create_directories(scratch_.File("tmp"));
    const std::set<std::string> before = Names();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::setenv("XDG_CONFIG_HOME", scratch_.File("config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", scratch_.File("data").c_str(), 1);
        ::setenv("TMPDIR", scratch_.File("tmp").c_str(), 1);
        if (::chdir(scratch_.Path().c_str()) == 0 &&
            std::freopen(scratch_.File("stderr.txt").c_str(), "w", stderr) != nullptr) {
            ::execl(SONVARA_BATCH, SONVARA_BATCH, "run", "--jobs", "2", "--format", "mp3", "--out",
                    "same", "a.wav", "b.wav", "c.wav", nullptr);
        }
        ::_exit(127);
    }
    // Wait until both saves have handed their WAV files to the encoder.
    EXPECT_TRUE(testing::WaitUntil([&] { return EncoderInputs() == 2; }, kSaveWait));
    ::kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::string err = FileText(scratch_.File("stderr.txt"));
    EXPECT_NE(err.find("\"a.wav\": cancelado"), std::string::npos) << err;
    EXPECT_NE(err.find("\"b.wav\": cancelado"), std::string::npos) << err;
    EXPECT_NE(err.find("1 archivos sin empezar"), std::string::npos) << err;
    EXPECT_EQ(Names(), before);
    EXPECT_TRUE(std::filesystem::is_empty(scratch_.File("tmp")));
}

}  // namespace
}  // namespace sonvara
