#include "document/cut_writer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <ctime>
#include <fstream>
#include <limits>
#include <random>
#include <vector>

#include "tests/document/document_fixture.h"
#include "tests/support/file_contents.h"

namespace sonvara {
namespace {

class CutWriterTest : public testing::DocumentTest {};

using testing::FileBytes;

TEST_F(CutWriterTest, WritesAudioAndOneGraphRecordPerBlock) {
    std::vector<Sample> samples(2 * 1000);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = i % 2 == 0 ? static_cast<Sample>(i) * 100 : -static_cast<Sample>(i) * 50;
    }
    LCutListAudio list;
    std::uint16_t number;
    {
        LSoundSinkRef writer(new LSNKCutListAudio(list, 22050, 2));
        number = static_cast<LSNKCutListAudio*>(writer.Get())->CutNumber();
        writer->Write(samples.data(), 300);  // pieces that do not end on block boundaries
        writer->Write(samples.data() + 600, 700);
        EXPECT_TRUE(list.Records().IsEmpty());  // the document changes when the writer finishes
        ASSERT_TRUE(writer->Finish());
    }
    EXPECT_EQ(list.GetSampleRate(), 22050);
    EXPECT_EQ(list.GetChannels(), 2);
    ASSERT_EQ(list.Records().Count(), 1u);
    EXPECT_EQ(list.Records().begin()->length, 1000);
    EXPECT_EQ(CutTank().RefCount(number), 1);

    EXPECT_EQ(FileBytes(CutTank().GetAudFilePath(number)).size(), 8000u);
    std::vector<std::uint8_t> graph = FileBytes(CutTank().GetGrfFilePath(number));
    ASSERT_EQ(graph.size(), 16u);  // three full blocks and the 232 frames left over
    for (std::size_t block = 0; block < 4; ++block) {
        const std::size_t last = std::min<std::size_t>(block * 256 + 256, 1000) - 1;
        // Left rises (largest at the block's end), right falls (smallest at the block's end).
        EXPECT_EQ(graph[block * 4], GraphByte(static_cast<Sample>(2 * last) * 100)) << block;
        EXPECT_EQ(graph[block * 4 + 1], 0) << block;
        EXPECT_EQ(graph[block * 4 + 2], 0) << block;
        EXPECT_EQ(graph[block * 4 + 3], GraphByte(-static_cast<Sample>(2 * last + 1) * 50))
            << block;
    }
    // One level byte a block and channel: the root mean square of the block's samples.
    std::vector<std::uint8_t> levels = FileBytes(CutTank().GetRmsFilePath(number));
    ASSERT_EQ(levels.size(), 8u);
    for (std::size_t block = 0; block < 4; ++block) {
        const std::size_t end = std::min<std::size_t>(block * 256 + 256, 1000);
        for (std::size_t channel = 0; channel < 2; ++channel) {
            double squares = 0;
            for (std::size_t f = block * 256; f < end; ++f) {
                squares += std::pow(static_cast<double>(samples[2 * f + channel]), 2);
            }
            const double rms = std::sqrt(squares / static_cast<double>(end - block * 256));
            EXPECT_NEAR(levels[block * 2 + channel], rms / 2048, 1.0) << block;
            EXPECT_GT(levels[block * 2 + channel], 0) << block;
        }
    }
    EXPECT_EQ(ReadList(list), samples);
}

// The graph and level bytes against a plain model (each block's extremes from 0, its level from
// its squares summed in long double), for samples quiet, music-loud, past what a double sums
// exactly over a block, and of any 32-bit value, written in pieces of random sizes.
TEST_F(CutWriterTest, GraphAndLevelsMatchAPlainModelForAnyPiecesAndLoudness) {
    std::mt19937 random(30);
    for (int bits : {12, 20, 24, 32}) {
        for (int channels : {1, 2, 3}) {
            SCOPED_TRACE(::testing::Message() << bits << " bits, " << channels << " channels");
            std::vector<Sample> samples(static_cast<std::size_t>(channels) * 20000);
            for (Sample& sample : samples) {
                // A random value of `bits` bits, sign and all.
                sample = static_cast<Sample>(static_cast<std::uint32_t>(random())) >> (32 - bits);
            }
            samples[5] = std::numeric_limits<Sample>::min() >> (32 - bits);
            samples[6] = std::numeric_limits<Sample>::max() >> (32 - bits);
            LCutListAudio list;
            std::uint16_t number;
            {
                auto* writer = new LSNKCutListAudio(list, 8000, channels);
                LSoundSinkRef ref(writer);
                number = writer->CutNumber();
                for (std::int32_t done = 0, total = 20000; done < total;) {
                    const auto frames =
                        std::min(static_cast<std::int32_t>(random() % 1500), total - done);
                    writer->Write(samples.data() + static_cast<std::size_t>(done * channels),
                                  frames);
                    done += frames;
                }
                ASSERT_TRUE(writer->Finish());
            }
            std::vector<std::uint8_t> graph;
            std::vector<std::uint8_t> levels;
            for (std::size_t first = 0; first < 20000; first += 256) {
                const std::size_t end = std::min<std::size_t>(first + 256, 20000);
                for (std::size_t c = 0; c < static_cast<std::size_t>(channels); ++c) {
                    Sample high = 0;
                    Sample low = 0;
                    long double squares = 0;
                    for (std::size_t f = first; f < end; ++f) {
                        const Sample sample = samples[f * static_cast<std::size_t>(channels) + c];
                        high = std::max(high, sample);
                        low = std::min(low, sample);
                        squares += static_cast<long double>(sample) * sample;
                    }
                    graph.push_back(GraphByte(high));
                    graph.push_back(GraphByte(low));
                    levels.push_back(LevelByte(static_cast<double>(squares),
                                               static_cast<std::int32_t>(end - first)));
                }
            }
            EXPECT_EQ(FileBytes(CutTank().GetGrfFilePath(number)), graph);
            EXPECT_EQ(FileBytes(CutTank().GetRmsFilePath(number)), levels);
        }
    }
}

TEST_F(CutWriterTest, GraphBytesAndWholeBlocks) {
    EXPECT_EQ(GraphByte(0x7FFF0), 255);
    EXPECT_EQ(GraphByte(0x800), 1);
    EXPECT_EQ(GraphByte(0x7FF), 0);
    EXPECT_EQ(GraphByte(0x80000), 255);
    EXPECT_EQ(GraphByte(-0x800), 1);
    EXPECT_EQ(GraphByte(std::numeric_limits<Sample>::min()), 255);

    LCutListAudio list;
    std::uint16_t number;
    {
        std::vector<Sample> negative(512, -0x7FFF0);
        LSNKCutListAudio* writer = new LSNKCutListAudio(list, 8000, 1);
        LSoundSinkRef ref(writer);
        number = writer->CutNumber();
        writer->Write(negative.data(), 512);
        ASSERT_TRUE(writer->Finish());
    }
    // Exactly two blocks: no partial record at the end; all-negative blocks have a top of 0.
    EXPECT_EQ(FileBytes(CutTank().GetGrfFilePath(number)),
              (std::vector<std::uint8_t>{0, 255, 0, 255}));
}

TEST_F(CutWriterTest, AWriterThatGotNothingLeavesAnEmptyDocument) {
    LCutListAudio list = Staircase(10);
    std::uint16_t number;
    {
        LSNKCutListAudio* writer = new LSNKCutListAudio(list, 8000, 2);
        LSoundSinkRef ref(writer);
        number = writer->CutNumber();
        ASSERT_TRUE(writer->Finish());
    }
    EXPECT_TRUE(list.Records().IsEmpty());
    EXPECT_EQ(list.GetChannels(), 2);
    EXPECT_FALSE(FileExists(CutTank().GetAudFilePath(number)));
}

TEST_F(CutWriterTest, RepositionOverwritesFromThere) {
    LCutListAudio list;
    std::uint16_t number;
    {
        std::vector<Sample> loud(1000, 0x40000);
        std::vector<Sample> quiet(100, 0x800);
        LSNKCutListAudio* writer = new LSNKCutListAudio(list, 8000, 1);
        LSoundSinkRef ref(writer);
        number = writer->CutNumber();
        writer->Write(loud.data(), 1000);
        writer->Truncate(300);
        writer->Write(quiet.data(), 100);
        ASSERT_TRUE(writer->Finish());
    }
    EXPECT_EQ(list.GetLength(), 400);
    std::vector<Sample> samples = ReadList(list);
    EXPECT_EQ(samples[299], 0x40000);
    EXPECT_EQ(samples[300], 0x800);
    EXPECT_EQ(samples[399], 0x800);
    // Record 1 (frames 256..511) is written again from offset 2 with only the new frames; record
    // 2 of the first pass stays in the file, as nothing is cut.
    std::vector<std::uint8_t> graph = FileBytes(CutTank().GetGrfFilePath(number));
    ASSERT_EQ(graph.size(), 6u);
    EXPECT_EQ(graph[0], 128);
    EXPECT_EQ(graph[2], 1);
    EXPECT_EQ(graph[4], 128);
    // The levels likewise: record 1 holds the quiet frames alone.
    EXPECT_EQ(FileBytes(CutTank().GetRmsFilePath(number)),
              (std::vector<std::uint8_t>{128, 1, 128}));
}

TEST_F(CutWriterTest, TankHandsOutTheLowestFreeNumberAndDeletesOnTheLastReference) {
    LCutListAudio first = Staircase(10);
    LCutListAudio second = Staircase(10);
    const std::uint16_t a = first.Records().begin()->cut.Number();
    const std::uint16_t b = second.Records().begin()->cut.Number();
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 1);

    LCutListAudio copy = first;  // two records refer to cut 0
    EXPECT_EQ(CutTank().RefCount(a), 2);
    first.Clear();
    EXPECT_TRUE(FileExists(CutTank().GetAudFilePath(a)));
    copy.Clear();
    EXPECT_FALSE(FileExists(CutTank().GetAudFilePath(a)));
    EXPECT_FALSE(FileExists(CutTank().GetGrfFilePath(a)));
    EXPECT_FALSE(FileExists(CutTank().GetRmsFilePath(a)));
    EXPECT_EQ(Staircase(5).Records().begin()->cut.Number(), a);  // reused at once

    // Counts go well past 16 bits (thousands of records in eight undo points) and still come
    // back down to the deletion.
    LAudioCutTank& tank = CutTank();
    {
        std::vector<LCutListAudio> copies(70000, second);
        EXPECT_EQ(tank.RefCount(b), 70001u);
    }
    EXPECT_EQ(tank.RefCount(b), 1u);
    second.Clear();
    EXPECT_FALSE(FileExists(tank.GetAudFilePath(b)));
    EXPECT_EQ(tank.GetAudFilePath(kSilentCut), "");
}

TEST_F(CutWriterTest, TankOwnsItsFolderAndCleansOnlyItsOwnFiles) {
    const std::string folder = scratch_.File("shared");
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    std::ofstream(folder + "/12.aud") << "left by a crash";
    std::ofstream(folder + "/12.grf") << "left by a crash";
    auto tank = std::make_unique<LAudioCutTank>(folder);
    EXPECT_EQ(tank->Folder(), folder);
    std::ofstream(folder + "/notes.txt") << "mine";
    std::ofstream(folder + "/take2.aud") << "mine";

    // A second editor on the same folder works beside the first, never in its files.
    auto other = std::make_unique<LAudioCutTank>(folder);
    ASSERT_NE(other->Folder(), folder);
    EXPECT_EQ(other->Folder().rfind(folder + "/instance-", 0), 0u);
    const std::string other_folder = other->Folder();
    LCutListAudio list;
    {
        LSoundSinkRef writer(new LSNKCutListAudio(list, 8000, 1, *other));
        std::vector<Sample> samples(10, 1);
        writer->Write(samples.data(), 10);
        ASSERT_TRUE(writer->Finish());
    }
    EXPECT_TRUE(FileExists(other_folder + "/0.aud"));
    list.Clear();
    other.reset();
    EXPECT_FALSE(FileExists(other_folder));

    // The crash's leftovers stay for a recovery that never came; once one has, they go.
    tank.reset();
    EXPECT_TRUE(FileExists(folder + "/notes.txt"));
    EXPECT_TRUE(FileExists(folder + "/take2.aud"));
    EXPECT_TRUE(FileExists(folder + "/12.aud"));
    tank = std::make_unique<LAudioCutTank>(folder);
    tank->ReleaseLeftovers();
    EXPECT_FALSE(FileExists(folder + "/12.aud"));
    EXPECT_FALSE(FileExists(folder + "/12.grf"));
}

TEST_F(CutWriterTest, TheTargetChangesOnlyWhenTheWriterFinishes) {
    LCutListAudio list = Staircase(10);
    const std::vector<Sample> before = ReadList(list);
    std::uint16_t number;
    {
        auto* writer = new LSNKCutListAudio(list, 8000, 1);
        LSoundSinkRef ref(writer);
        number = writer->CutNumber();
        std::vector<Sample> samples(100, 5);
        writer->Write(samples.data(), 100);
    }  // dropped unfinished: a cancelled load or effect
    EXPECT_EQ(ReadList(list), before);
    EXPECT_FALSE(FileExists(CutTank().GetAudFilePath(number)));
    EXPECT_FALSE(FileExists(CutTank().GetGrfFilePath(number)));

    // A writer that cannot keep its audio fails, names the folder and leaves the target alone.
    std::ofstream(scratch_.File("plain")) << "a file, not a folder";
    LAudioCutTank unusable(scratch_.File("plain/work"));
    {
        LSoundSinkRef writer(new LSNKCutListAudio(list, 8000, 1, unusable));
        std::vector<Sample> samples(100, 5);
        writer->Write(samples.data(), 100);
        EXPECT_FALSE(writer->Finish());
        EXPECT_NE(writer->ErrorText().find("\"" + scratch_.File("plain/work") + "\""),
                  std::string::npos);
    }
    EXPECT_EQ(ReadList(list), before);
}

TEST_F(CutWriterTest, FoldersLeftByAnEditorThatDiedAreRemovedAtStartUnlessUnsaved) {
    const std::string folder = scratch_.File("shared");
    auto running = std::make_unique<LAudioCutTank>(folder);
    auto second = std::make_unique<LAudioCutTank>(folder);  // alive: its lock is held
    const std::string alive = second->Folder();
    // Two editors that were killed: their sub-folders, cut files and unheld locks stay behind.
    const std::string dead = folder + "/instance-a1b2c3";
    const std::string dead_with_notes = folder + "/instance-d4e5f6";
    const std::string not_ours = folder + "/instance-photos";
    const std::string dead_unsaved = folder + "/instance-g7h8i9";
    for (const std::string& sub : {dead, dead_with_notes, not_ours, dead_unsaved}) {
        ASSERT_EQ(::mkdir(sub.c_str(), 0700), 0);
        std::ofstream(sub + "/3.aud") << "audio";
        if (sub != not_ours) {
            std::ofstream(sub + "/sonvara.lock");
        }
    }
    std::ofstream(dead_with_notes + "/notes.txt") << "the user's";
    std::ofstream(dead_unsaved + "/unsaved-j0k1l2.svr") << "unsaved work";
    // Folders are judged abandoned only after a while (an editor may be between making one and
    // locking it); these are older than that.
    for (const std::string& sub : {alive, dead, dead_with_notes, not_ours, dead_unsaved}) {
        const timespec old[2] = {{0, UTIME_OMIT}, {std::time(nullptr) - 3600, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, sub.c_str(), old, 0), 0);
    }

    auto third = std::make_unique<LAudioCutTank>(folder);
    EXPECT_FALSE(FileExists(dead));
    EXPECT_TRUE(FileExists(dead_with_notes + "/notes.txt"));
    EXPECT_FALSE(FileExists(dead_with_notes + "/3.aud"));
    EXPECT_TRUE(FileExists(not_ours + "/3.aud"));  // no lock: not a folder a tank made
    EXPECT_TRUE(FileExists(dead_unsaved + "/3.aud"));
    EXPECT_TRUE(FileExists(alive + "/sonvara.lock"));
    EXPECT_NE(third->Folder(), alive);
}

}  // namespace
}  // namespace sonvara
