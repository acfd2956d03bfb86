#include "project/project_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>

#include "core/byte_order.h"
#include "project/record_fields.h"
#include "tests/document/document_fixture.h"
#include "tests/support/cancel_after_view.h"
#include "tests/support/file_contents.h"
#include "tests/support/run_process.h"

namespace sonvara {
namespace {

using testing::FileBytes;
using testing::WriteFileBytes;

class ProjectFileTest : public testing::DocumentTest {
  protected:
    // Two files (stereo across three 8192-frame blocks, an untitled mono one), three bookmarks,
    // one of a file the project does not hold, and one region.
    LSVProject TwoFiles() {
        LSVProject project;
        LSVProjectFile first{"/music/take one.wav",
                             "/old/take.wav",
                             "take one.wav",
                             {100, 50, 900, 0, 20000},
                             Staircase(20000, 2, -7000)};
        // An edited list: records with their own gains, as a document holds after edits.
        first.audio.EfAmplify(3000, 4000, 250);
        first.audio.InsertSilence(10, 5);
        LSVProjectFile second{"", "", "Sin título 1", {7, 7, 7, 1, 500}, Staircase(500, 1, 3)};
        project.files = {first, second};
        project.current = 1;
        project.bookmarks = {{"coro", "take one.wav", 1500, 3, 1700000000},
                             {"gone", "closed.wav", 10, 1, 5},
                             {"intro", "Sin título 1", 20, 1, 1700000001},
                             {"fin", "take one.wav", 2400, 255, 0xFFFFFFFF}};
        LSVRegion region{"estrofa", "/music/take one.wav", 100, 400, {}};
        first.audio.EfCopy(800, 3200, region.audio);
        project.regions.push_back(region);
        return project;
    }

    std::string path_ = scratch_.File("session.svp");
};

// Saved and loaded again, a project gives the same files with their audio bit for bit, the same
// positions, current file, bookmarks (grouped by file, those of other files left out) and region;
// saving what was loaded gives the same bytes.
TEST_F(ProjectFileTest, AProjectComesBackAsItWasSaved) {
    const LSVProject saved = TwoFiles();
    LSVSaveProject save(path_, saved);
    ASSERT_EQ(testing::RunProcess(save), PROCESS_DONE);

    LSVProject loaded;
    LSVLoadProject load(path_, loaded);
    ASSERT_EQ(testing::RunProcess(load), PROCESS_DONE);
    ASSERT_EQ(loaded.files.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(loaded.files[i].path, saved.files[i].path);
        EXPECT_EQ(loaded.files[i].previous_path, saved.files[i].previous_path);
        EXPECT_EQ(loaded.files[i].positions, saved.files[i].positions);
        EXPECT_EQ(loaded.files[i].audio.GetSampleRate(), saved.files[i].audio.GetSampleRate());
        EXPECT_EQ(loaded.files[i].audio.GetChannels(), saved.files[i].audio.GetChannels());
        EXPECT_EQ(ReadList(loaded.files[i].audio), ReadList(saved.files[i].audio));
    }
    EXPECT_EQ(loaded.current, 1);
    const std::vector<LSVBookMark> grouped = {saved.bookmarks[0], saved.bookmarks[3],
                                              saved.bookmarks[2]};
    EXPECT_EQ(loaded.bookmarks, grouped);
    ASSERT_EQ(loaded.regions.size(), 1u);
    EXPECT_EQ(loaded.regions[0].name, "estrofa");
    EXPECT_EQ(loaded.regions[0].file, "/music/take one.wav");
    EXPECT_EQ(loaded.regions[0].start_ms, 100u);
    EXPECT_EQ(loaded.regions[0].end_ms, 400u);
    EXPECT_EQ(ReadList(loaded.regions[0].audio), ReadList(saved.regions[0].audio));

    const std::string again = scratch_.File("again.svp");
    loaded.files[0].display_name = "take one.wav";
    loaded.files[1].display_name = "Sin título 1";
    LSVSaveProject resave(again, loaded);
    ASSERT_EQ(testing::RunProcess(resave), PROCESS_DONE);
    EXPECT_EQ(FileBytes(again), FileBytes(path_));
    // The layout: version, count, 540-byte header, 9-byte audio header, samples...
    const std::vector<std::uint8_t> bytes = FileBytes(path_);
    EXPECT_EQ(bytes[0], 0);
    EXPECT_EQ(bytes[1], 2);
    EXPECT_EQ(GetTextField(&bytes[2]), "/music/take one.wav");
    EXPECT_EQ(LoadLE32(&bytes[2 + 540]), 8000u);
    EXPECT_EQ(bytes[2 + 544], 2);
    EXPECT_EQ(LoadLE32(&bytes[2 + 545]), 20005u);
}

// Two files of one name from different folders keep their bookmarks once (each save doubled
// them), and positions out of the audio (a damaged or crafted project) come back within it.
TEST_F(ProjectFileTest, BookmarksOfFilesOfOneNameStayOnceAndPositionsStayInTheAudio) {
    LSVProject project = TwoFiles();
    project.files[1] = {"/other/take one.wav",
                        "",
                        "take one.wav",
                        {-5, -1, 99999, -100, -200},
                        Staircase(500, 1, 3)};
    for (int cycle = 0; cycle < 3; ++cycle) {
        LSVSaveProject save(path_, project);
        ASSERT_EQ(testing::RunProcess(save), PROCESS_DONE);
        LSVProject loaded;
        LSVLoadProject load(path_, loaded);
        ASSERT_EQ(testing::RunProcess(load), PROCESS_DONE);
        EXPECT_EQ(loaded.bookmarks.size(), 2u) << cycle;
        EXPECT_EQ(loaded.files[1].positions, (LEditPositions{0, 0, 500, 0, 500}));
        for (std::size_t i = 0; i < loaded.files.size(); ++i) {
            loaded.files[i].display_name = project.files[i].display_name;
        }
        project = std::move(loaded);
    }
}

// What the save refuses or gives up leaves the old project file as it was, with no temporary
// file beside it.
TEST_F(ProjectFileTest, AFailedSaveKeepsTheOldFile) {
    WriteFileBytes(path_, {1, 2, 3});
    LSVProject too_long = TwoFiles();
    too_long.files[0].path = "/" + std::string(259, 'a');
    testing::ScriptedPrompts prompts;
    LSVSaveProject refused(path_, too_long);
    EXPECT_EQ(testing::RunProcess(refused, nullptr, &prompts), PROCESS_FAILED);
    ASSERT_EQ(prompts.Asked().size(), 1u);
    EXPECT_NE(prompts.Asked()[0].text.find("260 bytes"), std::string::npos)
        << prompts.Asked()[0].text;

    LSVProject many = TwoFiles();
    many.regions.resize(256);
    LSVSaveProject too_many(path_, many);
    EXPECT_EQ(testing::RunProcess(too_many, nullptr, &prompts), PROCESS_FAILED);
    EXPECT_NE(prompts.Asked().back().text.find("255 regiones"), std::string::npos);

    const LSVProject project = TwoFiles();
    testing::CancelAfter cancel(1);
    LSVSaveProject cancelled(path_, project);
    EXPECT_EQ(testing::RunProcess(cancelled, &cancel), PROCESS_STOPPED);

    EXPECT_EQ(FileBytes(path_), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch_.Path()),
                            std::filesystem::directory_iterator()),
              2);  // the project and the cut tank's folder
}

// A project of another version shows the message and reads nothing; a damaged one fails with
// only the files read completely, whatever its sizes claim, without reading past its end.
TEST_F(ProjectFileTest, ADamagedProjectIsRefused) {
    const LSVProject project = TwoFiles();
    LSVSaveProject save(path_, project);
    ASSERT_EQ(testing::RunProcess(save), PROCESS_DONE);
    const std::vector<std::uint8_t> good = FileBytes(path_);

    std::vector<std::uint8_t> bytes = good;
    bytes[0] = 1;
    WriteFileBytes(path_, bytes);
    testing::ScriptedPrompts prompts;
    LSVProject loaded;
    LSVLoadProject other_version(path_, loaded);
    EXPECT_EQ(testing::RunProcess(other_version, nullptr, &prompts), PROCESS_FAILED);
    ASSERT_EQ(prompts.Asked().size(), 1u);
    EXPECT_EQ(prompts.Asked()[0].caption, "Error de Archivo");
    EXPECT_EQ(prompts.Asked()[0].text, kStoredVersionMessage);
    EXPECT_TRUE(loaded.files.empty());

    // The first file's frame count claims more than the file holds.
    bytes = good;
    StoreLE32(&bytes[2 + 545], 0x7FFFFFFF);
    WriteFileBytes(path_, bytes);
    LSVProject huge;
    LSVLoadProject too_long(path_, huge);
    EXPECT_EQ(testing::RunProcess(too_long), PROCESS_FAILED);
    EXPECT_TRUE(huge.files.empty());

    const std::size_t first_file_end = 2 + 540 + 9 + 20005 * 8;
    const std::size_t second_file_end = first_file_end + 540 + 9 + 500 * 4;
    for (std::size_t size : {std::size_t{1}, std::size_t{300}, first_file_end - 1, first_file_end,
                             first_file_end + 600, good.size() - 1}) {
        WriteFileBytes(path_, {good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size)});
        LSVProject cut;
        LSVLoadProject load(path_, cut);
        EXPECT_EQ(testing::RunProcess(load), PROCESS_FAILED) << size;
        EXPECT_EQ(cut.files.size(), std::size_t{size >= first_file_end} + (size >= second_file_end))
            << size;
    }
}

}  // namespace
}  // namespace sonvara
