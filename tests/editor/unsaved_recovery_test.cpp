// The editor's start after one that died: an edited file and a recording under way come back as
// modified untitled files in windows of their own, each keeping a recovery file from then on,
// and the user is told.

#include <gtest/gtest.h>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <algorithm>
#include <filesystem>

#include "document/crash_recovery.h"
#include "document/recording_writer.h"
#include "tests/editor/editor_fixture.h"

namespace sonvara {
namespace {

class UnsavedRecoveryTest : public EditorTest {
  protected:
    std::vector<std::string> RecoveryFiles(const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (entry.path().extension() == ".svr") {
                names.push_back(entry.path().filename());
            }
        }
        return names;
    }
};

TEST_F(UnsavedRecoveryTest, AnEditedFileAndARecordingComeBackAsModifiedUntitledFiles) {
    const std::string died = scratch_.File("died");
    std::vector<Sample> edited_samples;
    std::vector<std::string> dead_files;
    {
        LCutListAudio edited = Staircase(12000);
        edited.EfDelete(2000, 4000);
        edited_samples = ReadList(edited);
        LRecoveryJournal journal;
        ASSERT_TRUE(journal.Keep("voz.wav", edited));
        LSoundSinkRef recording(new LSNKRecordingWriter(8000, 1));
        const std::vector<Sample> sound(8000 * 15, 1 << 20);
        recording->Write(sound.data(), 8000 * 15);  // one segment finished, one under way
        std::filesystem::copy(CutTank().Folder(), died);
        dead_files = RecoveryFiles(died);
        ASSERT_EQ(dead_files.size(), 2u);
    }
    const std::unique_ptr<LAudioCutTank> work = UseCutTank(std::make_unique<LAudioCutTank>(died));

    frame_->Rooms().files.RecoverUnsavedFiles();
    ASSERT_EQ(frame_->Rooms().workspace.Files().size(), 2u);
    // The order of recovery files that a copy gave one time stamp is the names'.
    LSVFileWindow* edited = frame_->Rooms().workspace.Files()[0];
    LSVFileWindow* recorded = frame_->Rooms().workspace.Files()[1];
    if (edited->Document().Audio().GetLength() != 10000) {
        std::swap(edited, recorded);
    }
    EXPECT_EQ(ReadList(edited->Document().Audio()), edited_samples);
    EXPECT_EQ(recorded->Document().Audio().GetLength(), 8000 * 15);
    EXPECT_EQ(ReadList(recorded->Document().Audio()), std::vector<Sample>(8000 * 15, 1 << 20));
    EXPECT_EQ(Title(frame_->Rooms().workspace.Files()[0]), "Sin título 1*");
    EXPECT_EQ(Title(frame_->Rooms().workspace.Files()[1]), "Sin título 2*");
    // Windows a user can work in, the last one in front.
    EXPECT_EQ(frame_->MdiArea()->activeSubWindow(),
              frame_->Rooms().workspace.Files()[1]->parentWidget());
    for (LSVFileWindow* file : frame_->Rooms().workspace.Files()) {
        EXPECT_TRUE(file->isVisible());
        EXPECT_GE(file->height(), file->minimumSizeHint().height());
    }
    ASSERT_EQ(prompts_.Asked().size(), 1u);
    EXPECT_EQ(prompts_.Asked()[0].caption, "Archivos recuperados");
    EXPECT_NE(prompts_.Asked()[0].text.find("voz.wav"), std::string::npos);
    EXPECT_NE(prompts_.Asked()[0].text.find("Grabación"), std::string::npos);

    // The dead editor's recovery files gave way to the windows' own.
    std::vector<std::string> now = RecoveryFiles(died);
    EXPECT_EQ(now.size(), 2u);
    for (const std::string& name : dead_files) {
        EXPECT_EQ(std::count(now.begin(), now.end(), name), 0) << name;
    }

    // Closed without saving, they leave nothing to recover.
    prompts_.QueueAnswer(PromptAnswer::kNo);
    prompts_.QueueAnswer(PromptAnswer::kNo);
    ASSERT_TRUE(frame_->Rooms().files.CmCloseAll());
    Settle();
    EXPECT_TRUE(RecoveryFiles(died).empty());
}

TEST_F(UnsavedRecoveryTest, AStartAfterACleanEndSaysNothing) {
    frame_->Rooms().files.RecoverUnsavedFiles();
    EXPECT_TRUE(frame_->Rooms().workspace.Files().empty());
    EXPECT_TRUE(prompts_.Asked().empty());
}

}  // namespace
}  // namespace sonvara
