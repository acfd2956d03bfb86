// Files' tags: read from files other programs tag, written by our saves where other programs read
// them back, kept by conversions.

#include "formats/tag_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "core/paths.h"
#include "core/settings.h"
#include "formats/load_save.h"
#include "formats/mp3_encoder_settings.h"
#include "tests/document/document_fixture.h"
#include "tests/support/run_process.h"
#include "tests/support/scripted_prompts.h"

namespace sonvara {
namespace {

FileTags SomeTags() {
    return {"Canción de prueba", "Artista Ñandú", "Álbum", "2024-05-01", "3/12", "Folk",
            "grabado en casa"};
}

class TagFileTest : public testing::DocumentTest {
  protected:
    TagFileTest() : previous_store_(UseSettingsStore(nullptr)) {
        WriteString("Components/mp3kx", "Path", "");  // the real encoder, found on the path
    }
    ~TagFileTest() override { UseSettingsStore(previous_store_); }

    // Runs a shell command in the scratch folder and gives its output; a failure fails the test.
    std::string Shell(const std::string& command) {
        const std::string line = "cd '" + scratch_.Path() + "' && " + command + " 2>/dev/null";
        std::string output;
        FILE* pipe = ::popen(line.c_str(), "r");
        EXPECT_NE(pipe, nullptr);
        char buffer[512];
        while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
            output += buffer;
        }
        EXPECT_EQ(pipe == nullptr ? -1 : ::pclose(pipe), 0) << command;
        return output;
    }

    // A tagged copy of a second of a tone in `name`, written by our save.
    ProcessResult SaveTagged(const std::string& name, const FileTags& tags) {
        std::vector<Sample> samples;
        for (int i = 0; i < 8000; ++i) {
            samples.push_back(static_cast<Sample>(100000 * std::sin(0.05 * i)));
        }
        LCutListAudio document = FromSamples(samples, 1, 8000);
        LSVSaveToSink save(document, scratch_.File(name), SaveMode::kPlain);
        save.SetOptions({"", {}, tags, {}});
        return testing::RunProcess(save, nullptr, &prompts_);
    }

    testing::ScriptedPrompts prompts_;

  private:
    std::shared_ptr<SettingsStore> previous_store_;
};

// The tags FFmpeg writes in each format that holds them read back field by field.
TEST_F(TagFileTest, TagsOtherProgramsWriteAreRead) {
    Shell("sox -n -r 44100 -c 1 tone.wav synth 0.3 sine 440");
    const std::string metadata =
        "-metadata title='Canción de prueba' -metadata artist='Artista Ñandú' "
        "-metadata album='Álbum' -metadata date=2024 -metadata track=3 -metadata genre=Folk "
        "-metadata comment='grabado en casa'";
    for (const char* name : {"a.mp3", "a.flac", "a.ogg", "a.opus", "a.m4a", "a.aiff", "a.wav"}) {
        SCOPED_TRACE(name);
        // FFmpeg puts AIFF's tags in an ID3v2 chunk only when asked.
        const std::string extra = std::string(name) == "a.aiff" ? " -write_id3v2 1" : "";
        Shell("ffmpeg -v error -i tone.wav " + metadata + extra + " -y " + name);
        const FileTags tags = ReadFileTags(scratch_.File(name));
        EXPECT_EQ(tags.artist, "Artista Ñandú");
        EXPECT_EQ(tags.album, "Álbum");
        EXPECT_EQ(tags.date, "2024");
        EXPECT_EQ(tags.genre, "Folk");
        if (std::string(name) != "a.wav") {  // a RIFF INFO list keeps Latin-1 only; FFmpeg's
            EXPECT_EQ(tags.title, "Canción de prueba");  // is UTF-8 bytes, read as Latin-1
            EXPECT_EQ(tags.track, "3");
            EXPECT_EQ(tags.comment, "grabado en casa");
        }
    }
    // A format without tags, and a file that is not what its name says, have none.
    EXPECT_TRUE(ReadFileTags(scratch_.File("tone.wav")).Empty());
    Shell("cp tone.wav tone.flac");
    EXPECT_TRUE(ReadFileTags(scratch_.File("tone.flac")).Empty());
    Shell("sox tone.wav tone.au");
    EXPECT_FALSE(HoldsTags(scratch_.File("tone.au")));
}

// Our saves write the tags where each format keeps them: we read them back as they were, and so
// does FFmpeg; the audio is untouched by them.
TEST_F(TagFileTest, SavedTagsReadBackHereAndInFfmpeg) {
    const FileTags tags = SomeTags();
    for (const char* name : {"b.wav", "b.aif", "b.mp3", "b.flac", "b.ogg", "b.opus"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(SaveTagged(name, tags), PROCESS_DONE);
        EXPECT_EQ(ReadFileTags(scratch_.File(name)), tags);
        const std::string probe = Shell(std::string("ffprobe -v error -show_entries ") +
                                        "format_tags:stream_tags -of flat " + name);
        EXPECT_NE(probe.find("Artista Ñandú"), std::string::npos) << probe;
        EXPECT_NE(probe.find("Canción de prueba"), std::string::npos) << probe;
        // The audio still reads whole.
        LCutListAudio back;
        SVLoadFile load(scratch_.File(name), back, false);
        ASSERT_EQ(testing::RunProcess(load, nullptr, &prompts_), PROCESS_DONE);
        const std::string extension = GetFileExtension(name);
        if (extension == ".wav" || extension == ".aif" || extension == ".flac") {
            EXPECT_EQ(back.GetLength(), 8000);
        } else {  // lossy: within a codec frame or two
            EXPECT_NEAR(back.GetLength() * 8000.0 / back.GetSampleRate(), 8000, 1200);
        }
    }
    // Formats that hold none are written as before; untagged saves add nothing.
    ASSERT_EQ(SaveTagged("c.au", tags), PROCESS_DONE);
    ASSERT_EQ(SaveTagged("c.wav", {}), PROCESS_DONE);
    EXPECT_EQ(Shell("grep -c LIST c.wav || true"), "0\n");
}

// A conversion carries the input's tags to an output that holds them.
TEST_F(TagFileTest, ConversionsKeepTheTags) {
    ASSERT_EQ(SaveTagged("in.flac", SomeTags()), PROCESS_DONE);
    LSVConvertFile convert(scratch_.File("in.flac"), scratch_.File("out.mp3"), SaveMode::kPlain,
                           false);
    ASSERT_EQ(testing::RunProcess(convert, nullptr, &prompts_), PROCESS_DONE);
    EXPECT_EQ(ReadFileTags(scratch_.File("out.mp3")), SomeTags());
}

}  // namespace
}  // namespace sonvara
