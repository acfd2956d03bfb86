// The CD import dialog on simulated drives: the drives and tracks it shows, the message of a
// machine without a drive, and the files OK copies, stopping at the first track that fails.

#include <gtest/gtest.h>
#include <QApplication>
#include <QComboBox>
#include <QTimer>
#include <QTreeWidget>

#include <filesystem>
#include <fstream>
#include <optional>

#include "core/settings.h"
#include "editor/files/cd_ripper_dialog.h"
#include "tests/cd/test_discs.h"
#include "tests/editor/editor_fixture.h"
#include "tests/support/run_process.h"
#include "tests/support/scratch_folder.h"
#include "tests/view/gui_test_app.h"

namespace sonvara {
namespace {

using testing::MakeDisc;

class CdRipperDialogTest : public ::testing::Test {
  protected:
    CdRipperDialogTest() {
        testing::GuiApp();
        previous_settings_ = UseSettingsStore(std::make_shared<MemorySettingsStore>());
        WriteString("Folders", "Current", scratch_.Path());
    }
    ~CdRipperDialogTest() override { UseSettingsStore(previous_settings_); }

    std::unique_ptr<CDRipperDlg> Dialog(CdDriveList& drives) {
        return std::make_unique<CDRipperDlg>(
            drives,
            [this](LProgressDialog& process) {
                ++processes_;
                return testing::RunProcess(process, nullptr, &prompts_);
            },
            prompts_, nullptr);
    }

    static std::vector<std::string> Rows(const QTreeWidget& list) {
        std::vector<std::string> rows;
        for (int i = 0; i < list.topLevelItemCount(); ++i) {
            rows.push_back((list.topLevelItem(i)->text(0) + " " + list.topLevelItem(i)->text(1))
                               .toStdString());
        }
        return rows;
    }

    testing::ScratchFolder scratch_;
    testing::ScriptedPrompts prompts_;
    int processes_ = 0;
    std::shared_ptr<SettingsStore> previous_settings_;
};

TEST_F(CdRipperDialogTest, AMachineWithoutDrivesIsToldSoAndTheDialogCloses) {
    ImageDriveList none({});
    auto dialog = Dialog(none);
    EXPECT_EQ(dialog->exec(), QDialog::Rejected);
    ASSERT_EQ(prompts_.Asked().size(), 1u);
    EXPECT_EQ(prompts_.Asked()[0].caption, "Error");
    EXPECT_EQ(prompts_.Asked()[0].icon, PromptIcon::kError);
    EXPECT_EQ(prompts_.Asked()[0].text.rfind("No han sido detectados CD-ROM drives.", 0), 0u);
}

TEST_F(CdRipperDialogTest, ShowsEachDrivesTracksAndCopiesTheSelectedOnes) {
    DiscImage second = MakeDisc({75 * 125, 30, 40, 50}, {false, true});
    second.failing_block = 75 * 125 + 30 + 45;  // in track 4
    ImageDriveList drives({MakeDisc({75 * 61}), second});
    auto dialog = Dialog(drives);
    ASSERT_TRUE(dialog->LoadDrives());

    QComboBox& drive_list = *dialog->DriveList();
    ASSERT_EQ(drive_list.count(), 2);
    EXPECT_EQ(drive_list.itemText(1), "CD-ROM 2");
    EXPECT_EQ(drive_list.currentIndex(), 0);
    QTreeWidget& tracks = *dialog->TrackList();
    EXPECT_EQ(tracks.headerItem()->text(0), "Pista");
    EXPECT_EQ(tracks.headerItem()->text(1), "Duración");
    EXPECT_EQ(Rows(tracks), std::vector<std::string>{"Pista 1 1:01"});
    drive_list.setCurrentIndex(1);
    EXPECT_EQ(Rows(tracks), (std::vector<std::string>{"Pista 1 2:05", "Pista 2 0:00 (datos)",
                                                      "Pista 3 0:00", "Pista 4 0:00"}));
    // The data track cannot be picked; picked anyway, it is not copied.
    EXPECT_FALSE(tracks.topLevelItem(1)->flags() & Qt::ItemIsSelectable);
    tracks.topLevelItem(1)->setSelected(true);

    // Tracks 1, 3 and 4: the fourth fails, so the first two are the import, and the user is told
    // which track failed and where. An earlier import of track 1 (perhaps edited and saved since)
    // stays: the new one takes a name of its own.
    std::ofstream(scratch_.File("Pista 1.wav")) << "an earlier import";
    for (int row : {0, 2, 3}) {
        tracks.topLevelItem(row)->setSelected(true);
    }
    dialog->accept();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    const std::vector<std::string> expected = {scratch_.File("Pista 1 (2).wav"),
                                               scratch_.File("Pista 3.wav")};
    EXPECT_EQ(dialog->ImportedFiles(), expected);
    EXPECT_EQ(std::filesystem::file_size(scratch_.File("Pista 1.wav")), 17u);
    EXPECT_EQ(std::filesystem::file_size(expected[1]), 46 + 40 * kCdSectorBytes);
    EXPECT_FALSE(std::filesystem::exists(scratch_.File("Pista 4.wav")));
    EXPECT_EQ(processes_, 4);  // the listing and three copies, none of the data track
    ASSERT_EQ(prompts_.Asked().size(), 1u);
    EXPECT_EQ(prompts_.Asked()[0].text.rfind(
                  "No se pudo copiar la pista 4 del CD: la unidad no pudo leer el sector 9445 ", 0),
              0u)
        << prompts_.Asked()[0].text;
}

// From the file menu: the track picked is copied and opens in the editor as a file of its own,
// from the drives given to the frame, and from a folder of disc images named by
// SONVARA_CD_IMAGES, as a user without a drive tries it.
class CdImportCommandTest : public EditorTest {};

TEST_F(CdImportCommandTest, TheTrackPickedOpensInTheEditor) {
    WriteString("Folders", "Current", scratch_.Path());
    const DiscImage disc = MakeDisc({75, 150});
    ImageDriveList drives({disc});
    std::filesystem::create_directory(scratch_.File("discs"));
    std::ofstream(scratch_.File("discs/disc.bin"), std::ios::binary)
        .write(reinterpret_cast<const char*>(disc.sectors.data()),
               static_cast<std::streamsize>(disc.sectors.size()));
    std::ofstream(scratch_.File("discs/disc.toc")) << "track 0\ntrack 75\n";

    for (const auto& [from_folder, row] : {std::pair{false, 1}, std::pair{true, 0}}) {
        SCOPED_TRACE(from_folder);
        std::optional<testing::ScopedEnv> images;
        if (from_folder) {
            images.emplace("SONVARA_CD_IMAGES", scratch_.File("discs"));
        }
        frame_->Rooms().files.SetCdDrives(from_folder ? nullptr : &drives);
        // The dialog shows once the drives are listed: pick the track then.
        QTimer pick;
        pick.setInterval(10);
        QObject::connect(&pick, &QTimer::timeout, [&pick, row = row] {
            auto* dialog = qobject_cast<CDRipperDlg*>(QApplication::activeModalWidget());
            if (dialog != nullptr) {
                pick.stop();
                dialog->TrackList()->topLevelItem(row)->setSelected(true);
                dialog->accept();
            }
        });
        pick.start();
        frame_->Action(kCmLoadCDTrack)->trigger();

        ASSERT_EQ(frame_->Rooms().workspace.Files().size(), from_folder ? 2u : 1u);
        LSVFileWindow* file = frame_->Rooms().workspace.Files().back();
        const std::int32_t blocks = row == 0 ? 75 : 150;
        EXPECT_EQ(file->Document().Audio().GetLength(), blocks * kCdSectorBytes / 4);
        EXPECT_EQ(file->Document().Audio().GetSampleRate(), 44100);
        EXPECT_TRUE(Title(file).contains(row == 0 ? "Pista 1.wav" : "Pista 2.wav"));
    }
    EXPECT_TRUE(prompts_.Asked().empty());
}

}  // namespace
}  // namespace sonvara
