// sonvara-batch as a script sees it: exit status, one line on stderr, the files it writes, and
// settings and working files kept where XDG_CONFIG_HOME and XDG_DATA_HOME say.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>
#include <string>

#include "audio/wav/wave_file.h"
#include "tests/support/scratch_folder.h"

namespace sonvara {
namespace {

class BatchToolTest : public ::testing::Test {
  protected:
    struct Outcome {
        int status;
        std::string out;
        std::string err;
    };

    // Runs the tool with `arguments` (already quoted for the shell) in the scratch folder.
    Outcome Batch(const std::string& arguments) {
        const std::string out = scratch_.File("stdout.txt");
        const std::string err = scratch_.File("stderr.txt");
        const std::string command = "cd '" + scratch_.Path() + "' && XDG_CONFIG_HOME='" +
                                    scratch_.File("config") + "' XDG_DATA_HOME='" +
                                    scratch_.File("data") + "' '" SONVARA_BATCH "' " + arguments +
                                    " >'" + out + "' 2>'" + err + "' </dev/null";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Read(out), Read(err)};
    }

    static std::string Read(const std::string& path) {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

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

TEST_F(BatchToolTest, FailuresSayWhatAndExitWithTwo) {
    struct Case {
        std::string arguments;
        std::string message;
    };
    for (const Case& c : {
             Case{"convert missing.wav out.wav", "no se encuentra el archivo \"missing.wav\""},
             Case{"convert '" + input_ + "' out.mp3", "extensión desconocida: \"out.mp3\""},
             Case{"convert '" + input_ + "' out.wav --wav-format nothing",
                  "formato WAV desconocido: \"nothing\""},
             Case{"convert '" + input_ + "' /no/such/folder/out.wav",
                  "No se puede crear el archivo \"/no/such/folder/out.wav\"Para guardar."},
             Case{"info x.raw --raw-rate 5000",
                  "Las tasas de muestra deben estar entre 6000 y 96000 muestras por segundo."},
             Case{"convert", "convert necesita ENTRADA y SALIDA (--help)"},
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
    EXPECT_NE(Read(scratch_.File("config/Vellumtone/Sonvara.conf")).find("VoxRawFileFormat=2"),
              std::string::npos);
}

}  // namespace
}  // namespace sonvara
