// An editor that dies leaves its cut files and recovery files in the working folder. The death is
// played by copying the folder's files to a folder of their own, where a new tank finds them.

#include "document/crash_recovery.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "document/recovery_file.h"
#include "tests/document/document_fixture.h"

namespace sonvara {
namespace {

class CrashRecoveryTest : public testing::DocumentTest {
  protected:
    // The working folder as an editor dying now would leave it.
    std::string DieNow() {
        const std::string copy = scratch_.File("died-" + std::to_string(++deaths_));
        std::filesystem::copy(CutTank().Folder(), copy);
        return copy;
    }

    static std::vector<std::uint16_t> Numbers(const LCutListAudio& list) {
        std::vector<std::uint16_t> numbers;
        for (const LCutRecord& record : list.Records()) {
            numbers.push_back(record.cut.Number());
        }
        return numbers;
    }

    int deaths_ = 0;
};

TEST_F(CrashRecoveryTest, AModifiedDocumentComesBackAndOnlyItsCutsStay) {
    LCutListAudio edited = Staircase(1000);
    edited.Insert(400, Staircase(500, 1, 5000));
    edited.EfDelete(100, 250);
    edited.EfAmplify(600, 900, 50);
    edited.InsertSilence(50, 30);
    LRecoveryJournal edited_journal;
    ASSERT_TRUE(edited_journal.Keep("canción.wav", edited));

    LCutListAudio saved = Staircase(300, 1, 9000);
    LRecoveryJournal saved_journal;
    ASSERT_TRUE(saved_journal.Keep("guardado.wav", saved));
    saved_journal.Drop();  // saved: nothing to recover
    const LCutListAudio only_in_an_undo_step = Staircase(200, 1, 7000);

    LAudioCutTank tank(DieNow());
    const std::uint16_t undo_cut = Numbers(only_in_an_undo_step)[0];
    for (std::uint16_t number : {Numbers(edited)[0], Numbers(saved)[0], undo_cut}) {
        EXPECT_TRUE(tank.IsLeftover(number));
    }
    // Held leftovers are never handed out again.
    for (int i = 0; i < 5; ++i) {
        EXPECT_FALSE(tank.IsLeftover(tank.GetNewRefAndIncRef()));
    }

    {
        LCrashRecovery recovery = RecoverDocuments(tank);
        ASSERT_EQ(recovery.documents.size(), 1u);
        const LRecoveredDocument& document = recovery.documents[0];
        EXPECT_EQ(document.name, "canción.wav");
        EXPECT_FALSE(document.incomplete);
        EXPECT_EQ(document.audio.GetSampleRate(), 8000);
        EXPECT_EQ(ReadList(document.audio), ReadList(edited));
        FinishRecovery(recovery, tank);
        EXPECT_FALSE(tank.HasLeftovers());
        EXPECT_FALSE(FileExists(recovery.read_files.at(0)));
        EXPECT_FALSE(FileExists(tank.GetAudFilePath(undo_cut)));
        EXPECT_TRUE(FileExists(tank.GetAudFilePath(Numbers(edited)[0])));
        EXPECT_TRUE(RecoverDocuments(tank).documents.empty());
        EXPECT_EQ(ReadList(document.audio), ReadList(edited));
    }
    EXPECT_FALSE(FileExists(tank.GetAudFilePath(Numbers(edited)[0])));
}

TEST_F(CrashRecoveryTest, AnUnreadableFileKeepsTheLeftoversAndAMissingCutReadsAsSilence) {
    const std::string folder = scratch_.File("left");
    std::filesystem::create_directory(folder);
    const std::vector<Sample> audio = {10, 20, 30, 40, 50, 60, 70, 80};
    std::ofstream(folder + "/3.aud", std::ios::binary)
        .write(reinterpret_cast<const char*>(audio.data()),
               static_cast<std::streamsize>(audio.size() * sizeof(Sample)));
    const LRecoveryContent content{
        "Sin título 2", 8000, 1, kSilentCut, {{3, 2, 6, kUnityGain}, {9, 0, 4, kUnityGain}}};
    std::ofstream(folder + "/unsaved-abc123.svr", std::ios::binary)
        << SerializeRecoveryFile(content);
    std::ofstream(folder + "/unsaved-bad.svr") << "not a recovery file";

    {
        LAudioCutTank tank(folder);
        LCrashRecovery recovery = RecoverDocuments(tank);
        ASSERT_EQ(recovery.documents.size(), 1u);
        EXPECT_TRUE(recovery.documents[0].incomplete);
        EXPECT_EQ(ReadList(recovery.documents[0].audio),
                  (std::vector<Sample>{30, 40, 50, 60, 70, 80, 0, 0, 0, 0}));
        EXPECT_EQ(recovery.unreadable_files, std::vector<std::string>{folder + "/unsaved-bad.svr"});
        FinishRecovery(recovery, tank);
        EXPECT_TRUE(tank.IsLeftover(3));
    }
    // Nothing the dead editor wrote went: the next editor may still make sense of it.
    EXPECT_TRUE(FileExists(folder + "/3.aud"));
    EXPECT_TRUE(FileExists(folder + "/unsaved-bad.svr"));
    EXPECT_FALSE(FileExists(folder + "/unsaved-abc123.svr"));
}

TEST_F(CrashRecoveryTest, TheFileFormatRoundTripsAndRefusesEveryCutShortForm) {
    const LRecoveryContent content{
        "Grabación",
        44100,
        2,
        17,
        {{0, 0, 441000, kUnityGain}, {5, 100, 3, -kUnityGain}, {kSilentCut, 0, 9, kUnityGain}}};
    const std::string bytes = SerializeRecoveryFile(content);
    EXPECT_EQ(ParseRecoveryFile(bytes), content);
    for (std::size_t size = 0; size < bytes.size(); ++size) {
        EXPECT_FALSE(ParseRecoveryFile(std::string_view(bytes).substr(0, size))) << size;
    }
    LRecoveryContent empty_record = content;
    empty_record.records[1].length = 0;
    EXPECT_FALSE(ParseRecoveryFile(SerializeRecoveryFile(empty_record)));
    LRecoveryContent too_long = content;
    too_long.records[1].length = 0x7FFFFFFF;
    EXPECT_FALSE(ParseRecoveryFile(SerializeRecoveryFile(too_long)));
}

}  // namespace
}  // namespace sonvara
