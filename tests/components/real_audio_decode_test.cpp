#include "components/decode_processes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "components/rma_audio_sink.h"
#include "core/byte_order.h"
#include "tests/components/decoder_fixture.h"
#include "tests/support/cancel_after_view.h"
#include "tests/support/file_contents.h"

namespace sonvara {
namespace {

class RealAudioDecodeTest : public testing::DecoderTest {
  protected:
    RealAudioDecodeTest() { UseEngine(SONVARA_REALAUDIO); }

    static void UseEngine(const std::string& path) {
        WriteString("Components/realaudio", "Path", path);
    }
};

TEST_F(RealAudioDecodeTest, RealAudioFilesLoadThroughTheEngine) {
    // RealAudio 1.0 (14.4K) is 8000 Hz mono, coded in frames of 160 samples.
    const std::string ra = Tone("it's a \"clip\" (1).ra", 8000, 1, 2.0, "real_144");
    const std::string rm = Tone("second clip.RM", 8000, 1, 1.0, "real_144");
    // A ".ram" file names the clip to play, here relative to its own folder.
    const std::string ram = scratch_.File("playlist.ram");
    std::ofstream(ram) << "# a comment\n\nfile:it's a \"clip\" (1).ra\n";
    struct Case {
        std::string path;
        double seconds;
    };
    for (const Case& c : {Case{ra, 2.0}, Case{rm, 1.0}, Case{ram, 2.0}}) {
        LCutListAudio document;
        ASSERT_EQ(Load(c.path, document), PROCESS_DONE) << c.path;
        EXPECT_EQ(document.GetSampleRate(), 8000);
        EXPECT_EQ(document.GetChannels(), 1);
        EXPECT_NEAR(document.GetLength(), 8000 * c.seconds, 320) << c.path;
        // The tone's RMS is 2896; the 8 kbit/s coder keeps it within 2 dB.
        EXPECT_NEAR(Loudness(document), 2896.0, 600.0) << c.path;
        EXPECT_TRUE(Errors().empty()) << Errors()[0];
        EXPECT_TRUE(DataFolderFiles().empty());
    }
}

TEST_F(RealAudioDecodeTest, FailuresAreShownAndLeaveTheDocumentAlone) {
    const std::string not_media = scratch_.File("notes.rm");
    std::ofstream(not_media) << "\x01\x02 this is no RealMedia file\n";
    const std::string wma = Tone("tone.wma", 8000, 1, 0.5, "wmav2");
    const std::string disguised = scratch_.File("disguised.ra");
    std::filesystem::copy_file(wma, disguised);
    const std::string remote = scratch_.File("remote.ram");
    std::ofstream(remote) << "rtsp://example.com/clip.rm\n";
    for (const std::string& path : {not_media, disguised, remote, scratch_.File("missing.ra")}) {
        prompts_ = testing::ScriptedPrompts();
        LCutListAudio document = Staircase(100);
        EXPECT_EQ(Load(path, document), PROCESS_FAILED) << path;
        EXPECT_EQ(document.GetLength(), 100);
        ASSERT_EQ(Errors().size(), 1u) << path;
        EXPECT_TRUE(StartsWith(Errors()[0], "Unable to open file with Real Player.")) << path;
        EXPECT_TRUE(DataFolderFiles().empty());
    }

    // No engine at the configured path, beside the program or on the library path.
    prompts_ = testing::ScriptedPrompts();
    UseEngine(scratch_.File("nowhere/libsonvara-realaudio.so"));
    LCutListAudio document = Staircase(100);
    EXPECT_EQ(Load(Tone("clip.ra", 8000, 1, 0.5, "real_144"), document), PROCESS_FAILED);
    EXPECT_EQ(document.GetLength(), 100);
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_TRUE(StartsWith(Errors()[0], "Unable to load Real Audio Core DLL."));
}

TEST_F(RealAudioDecodeTest, CancelEndsTheLoadWithoutReadingThePartialFile) {
    const std::string path = Tone("long.ra", 8000, 1, 5.0, "real_144");
    LCutListAudio document = Staircase(100);
    testing::CancelAfter cancel(2);
    EXPECT_EQ(Load(path, document, &cancel), PROCESS_STOPPED);
    EXPECT_EQ(document.GetLength(), 100);
    EXPECT_TRUE(DataFolderFiles().empty());
}

TEST_F(RealAudioDecodeTest, OnlyRegularFilesAreOpenedSoNothingWaitsForever) {
    // A FIFO opened for reading waits for a writer that never comes. Should a load wait on one,
    // writers come after three seconds to end each wait, so that the test fails instead of
    // hanging.
    const std::string fifo = scratch_.File("stream.ra");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string clip = Tone("clip.ra", 8000, 1, 0.5, "real_144");
    const std::string playlists[] = {scratch_.File("fifo.ram"), scratch_.File("device.ram"),
                                     scratch_.File("folder.ram"), scratch_.File("pipe.ram")};
    std::ofstream(playlists[0]) << fifo << "\n";
    std::ofstream(playlists[1]) << "file:///dev/zero\n";
    std::ofstream(playlists[2]) << scratch_.Path() << "\n";
    std::ofstream(playlists[3]) << "pipe:0\n";
    for (const std::string& path : {fifo, playlists[0], playlists[1], playlists[2], playlists[3]}) {
        prompts_ = testing::ScriptedPrompts();
        std::atomic<bool> ended = false;
        std::thread writer([&] {
            for (int waited = 0; !ended; ++waited) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                const int end = waited < 300 ? -1 : ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
                if (end >= 0) {
                    ::close(end);
                }
            }
        });
        const auto start = std::chrono::steady_clock::now();
        LCutListAudio document = Staircase(100);
        EXPECT_EQ(Load(path, document), PROCESS_FAILED) << path;
        ended = true;
        writer.join();
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << path;
        EXPECT_EQ(document.GetLength(), 100);
        ASSERT_EQ(Errors().size(), 1u) << path;
        EXPECT_TRUE(StartsWith(Errors()[0], "Unable to open file with Real Player.")) << path;
    }
    // A clip named by its absolute path still plays.
    std::ofstream(playlists[0]) << clip << "\n";
    LCutListAudio document;
    EXPECT_EQ(Load(playlists[0], document), PROCESS_DONE);
    EXPECT_NEAR(document.GetLength(), 4000, 320);
    EXPECT_TRUE(DataFolderFiles().empty());
}

TEST_F(RealAudioDecodeTest, ACancelStopsTheEngineWhileItOpensTheClip) {
    // The engine asks for a cancel while it opens the clip: the cancel at the first question
    // stops the open, before anything is decoded, and is no failure.
    const std::string output = scratch_.File("decoded.wav");
    LReadAudioDecode decode(Tone("long.ra", 8000, 1, 5.0, "real_144"), output);
    testing::CancelAfter cancel(0);
    EXPECT_EQ(testing::RunProcess(decode, &cancel, &prompts_), PROCESS_STOPPED);
    EXPECT_TRUE(Errors().empty());
    EXPECT_LE(std::filesystem::file_size(output), 46u) << "nothing decoded";
}

TEST_F(RealAudioDecodeTest, TheSinkWritesOnlyWholeFramesOfAFormatItKnows) {
    const std::uint8_t pcm[8] = {1, 0, 2, 0, 3, 0, 4, 0};
    {
        // A format outside 1-2 channels of 8 or 16 bits, buffers before the format, or a
        // buffer that is not whole frames put the sink in error.
        const std::string path = scratch_.File("refused.wav");
        RMARef<RMAAudioSink> sink(new RMAAudioSink(path));
        EXPECT_EQ(sink->Write({pcm, 4, 0}), RMA_FAIL);
        EXPECT_TRUE(sink->IsError());
        EXPECT_FALSE(sink->Finish());
        for (RMAAudioFormat format :
             {RMAAudioFormat{3, 16, 8000, 0}, RMAAudioFormat{1, 24, 8000, 0},
              RMAAudioFormat{2, 16, 0, 0}}) {
            RMARef<RMAAudioSink> refused(new RMAAudioSink(path));
            EXPECT_EQ(refused->Open(format), RMA_FAIL);
            EXPECT_FALSE(refused->Finish());
        }
        RMARef<RMAAudioSink> partial(new RMAAudioSink(path));
        ASSERT_EQ(partial->Open({2, 16, 8000, 0}), RMA_OK);
        EXPECT_EQ(partial->Write({pcm, 6, 0}), RMA_FAIL);
        EXPECT_EQ(partial->Write({pcm, 8, 0}), RMA_FAIL) << "nothing after an error";
        EXPECT_FALSE(partial->Finish());
    }
    // A good run: the header carries the format and, after Finish, the sizes.
    const std::string path = scratch_.File("good.wav");
    RMARef<RMAAudioSink> sink(new RMAAudioSink(path));
    ASSERT_EQ(sink->Open({2, 16, 11025, 0}), RMA_OK);
    ASSERT_EQ(sink->Write({pcm, 8, 0}), RMA_OK);
    ASSERT_EQ(sink->Write({pcm, 4, 0}), RMA_OK);
    ASSERT_TRUE(sink->Finish());
    const std::vector<std::uint8_t> bytes = testing::FileBytes(path);
    ASSERT_EQ(bytes.size(), 46u + 12u);
    auto u32 = [&bytes](std::size_t at) { return LoadLE32(&bytes[at]); };
    EXPECT_EQ(u32(4), 12u + 38u);
    EXPECT_EQ(u32(24), 11025u);
    EXPECT_EQ(u32(28), 11025u * 4);
    EXPECT_EQ(u32(42), 12u);
    EXPECT_EQ(bytes[22], 2);   // channels
    EXPECT_EQ(bytes[34], 16);  // bits
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 54, bytes.end()),
              (std::vector<std::uint8_t>{1, 0, 2, 0}));
}

}  // namespace
}  // namespace sonvara
