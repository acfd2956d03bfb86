#include "components/decode_processes.h"

#include <signal.h>
#include <sys/stat.h>

#include <cerrno>
#include <fstream>

#include "core/paths.h"
#include "tests/components/decoder_fixture.h"

namespace sonvara {
namespace {

class WmaDecodeTest : public testing::DecoderTest {
  protected:
    WmaDecodeTest() { UseDecoder(SONVARA_WMAKX); }

    static void UseDecoder(const std::string& path) {
        WriteString("Components/wmakx", "Path", path);
    }

    // A script standing in for the decoder; `body` runs under /bin/sh with the arguments.
    std::string Script(const std::string& name, const std::string& body) {
        const std::string path = scratch_.File(name);
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        ::chmod(path.c_str(), 0755);
        return path;
    }

    // PATH without the folders where a decoder of the default name could be found.
    testing::ScopedEnv path_{"PATH", "/usr/bin:/bin"};
};

TEST_F(WmaDecodeTest, WindowsMediaAudioLoadsThroughTheDecoderProgram) {
    // Blanks and quotes in the name reach the decoder unchanged: it gets an argument vector.
    struct Case {
        std::string name;
        int rate;
        int channels;
        double loudness;
    };
    // FFmpeg's tone is at 1/8 of full scale, an RMS of 32767 / 8 / sqrt(2); made stereo, each
    // channel is 3 dB lower.
    for (const Case& c : {Case{"it's a \"tune\" (take 2).wma", 22050, 2, 2048.0},
                          Case{"mono take.WMA", 16000, 1, 2896.0}}) {
        const std::string path = Tone(c.name, c.rate, c.channels, 1.5, "wmav2");
        LCutListAudio document;
        ASSERT_EQ(Load(path, document), PROCESS_DONE) << c.name;
        EXPECT_EQ(document.GetSampleRate(), c.rate) << c.name;
        EXPECT_EQ(document.GetChannels(), c.channels) << c.name;
        // WMA codes in blocks of 2048 frames: the length is the tone's within one block.
        EXPECT_NEAR(document.GetLength(), c.rate * 1.5, 2048) << c.name;
        EXPECT_NEAR(Loudness(document), c.loudness, 200.0) << c.name;
        EXPECT_TRUE(Errors().empty());
        EXPECT_TRUE(DataFolderFiles().empty()) << "the temporary WAV file is deleted";
    }
}

TEST_F(WmaDecodeTest, TheDecoderProgramReportsWhatWentWrong) {
    const std::string text = scratch_.File("notes.wma");
    std::ofstream(text) << "not audio at all\n";
    const std::string tone = Tone("tone.wma", 8000, 1, 0.5, "wmav2");
    struct Case {
        std::string input;
        std::string output;
        int status;
    };
    for (const Case& c : {Case{text, scratch_.File("a.wav"), 2},
                          Case{tone, scratch_.File("no/such/folder/b.wav"), 3},
                          Case{tone, scratch_.File("c.wav"), 0}}) {
        auto child = ChildProcess::Spawn(SONVARA_WMAKX, {c.input, c.output}, false, nullptr);
        ASSERT_NE(child, nullptr);
        ASSERT_TRUE(child->WaitFor(std::chrono::minutes(1)));
        EXPECT_EQ(child->ExitStatus(), c.status) << c.input;
        EXPECT_EQ(FileExists(c.output), c.status == 0) << "no output is left after a failure";
    }
    auto child = ChildProcess::Spawn(SONVARA_WMAKX, {tone}, false, nullptr);
    ASSERT_TRUE(child->WaitFor(std::chrono::minutes(1)));
    EXPECT_EQ(child->ExitStatus(), 1);

    // Through the load: the failure is shown and the document stays as it was.
    LCutListAudio document = Staircase(100);
    EXPECT_EQ(Load(text, document), PROCESS_FAILED);
    EXPECT_EQ(document.GetLength(), 100);
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_TRUE(StartsWith(Errors()[0], "The wma decoder component could not decode"));
    EXPECT_TRUE(DataFolderFiles().empty());
}

TEST_F(WmaDecodeTest, AMissingDecoderIsNamedWithItsComponent) {
    UseDecoder(scratch_.File("nowhere/sonvara-wmakx"));
    const std::string path = Tone("tone.wma", 8000, 1, 0.5, "wmav2");
    LCutListAudio document = Staircase(100);
    EXPECT_EQ(Load(path, document), PROCESS_FAILED);
    EXPECT_EQ(document.GetLength(), 100);
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_TRUE(StartsWith(Errors()[0],
                           "The wma decoder component has not yet been installed on this "
                           "computer."));
    EXPECT_NE(Errors()[0].find("\"wmakx\""), std::string::npos);
    EXPECT_EQ(prompts_.Asked()[0].caption, "Error");
    EXPECT_TRUE(DataFolderFiles().empty());

    // Without a "Path" setting the default name is looked for on the search path.
    WriteString("Components/wmakx", "Path", "");
    testing::ScopedEnv search_path("PATH", GetFolderFromPath(SONVARA_WMAKX));
    ASSERT_EQ(Load(path, document), PROCESS_DONE);
    EXPECT_EQ(document.GetSampleRate(), 8000);
}

TEST_F(WmaDecodeTest, CancelKillsTheDecoderAndEndsTheLoad) {
    // The stand-in notes its process id, then never ends by itself.
    const std::string pid_file = scratch_.File("decoder.pid");
    UseDecoder(Script("slow-decoder", "echo $$ > '" + pid_file + ".new' && mv '" + pid_file +
                                          ".new' '" + pid_file + "'\nexec sleep 600"));
    const std::string path = Tone("tone.wma", 8000, 1, 0.5, "wmav2");
    LCutListAudio document = Staircase(100);
    // The user cancels once the decoder is running.
    class CancelWhenRunning : public SilentProgressView {
      public:
        explicit CancelWhenRunning(std::string file) : file_(std::move(file)) {}
        bool CancelRequested() override { return FileExists(file_); }

      private:
        std::string file_;
    } cancel(pid_file);
    EXPECT_EQ(Load(path, document, &cancel), PROCESS_STOPPED);
    EXPECT_EQ(document.GetLength(), 100);
    EXPECT_TRUE(Errors().empty());
    EXPECT_TRUE(DataFolderFiles().empty());

    pid_t pid = 0;
    std::ifstream(pid_file) >> pid;
    ASSERT_GT(pid, 0) << "the stand-in decoder ran";
    EXPECT_EQ(::kill(pid, 0), -1) << "the decoder was killed and reaped";
    EXPECT_EQ(errno, ESRCH);
}

TEST_F(WmaDecodeTest, ADecoderThatFailsAfterWritingFailsTheLoad) {
    UseDecoder(Script("failing-decoder",
                      "cp '" + Tone("seed.wma", 8000, 1, 0.2, "wmav2") + "' \"$2\"\nexit 4"));
    LCutListAudio document = Staircase(100);
    EXPECT_EQ(Load(Tone("tone.wma", 8000, 1, 0.5, "wmav2"), document), PROCESS_FAILED);
    EXPECT_EQ(document.GetLength(), 100);
    EXPECT_TRUE(DataFolderFiles().empty());
}

}  // namespace
}  // namespace sonvara
