// The recording writer against a plain array: random writes and moves back, across the segments'
// ends, read back through the document and through a recovery after the editor died at any
// moment; and a segment that cannot be kept losing only itself.

#include "document/recording_writer.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>
#include <vector>

#include "tests/document/document_fixture.h"

namespace sonvara {
namespace {

// 100 frames a second: a segment is 1000 frames.
constexpr std::int32_t kRate = 100;
constexpr std::int32_t kSegment = kRate * LSNKRecordingWriter::kSegmentSeconds;

class RecordingWriterTest : public testing::DocumentTest {
  protected:
    // What the next editor gets back when this one dies now: the working folder's files copied
    // to a folder of their own and recovered there.
    std::vector<Sample> RecoveredIfTheEditorDiedNow() {
        const std::string copy = scratch_.File("died-" + std::to_string(++deaths_));
        std::filesystem::copy(CutTank().Folder(), copy);
        LAudioCutTank tank(copy);
        LCrashRecovery recovery = RecoverDocuments(tank);
        if (recovery.documents.size() != 1) {
            ADD_FAILURE() << recovery.documents.size() << " documents recovered";
            return {};
        }
        EXPECT_EQ(recovery.documents[0].name, "Grabación");
        EXPECT_FALSE(recovery.documents[0].incomplete);
        return ReadList(recovery.documents[0].audio);
    }

    int deaths_ = 0;
};

// At the longest a document holds the recording stops: what fits is kept whole, in finished
// segments, and the sink says why it stopped.
TEST_F(RecordingWriterTest, StopsAtTheLimitKeepingEverythingUpToIt) {
    auto* writer = new LSNKRecordingWriter(kRate, 1, CutTank(), 2500);
    LSoundSinkRef ref(writer);
    std::vector<Sample> block(1000);
    for (int i = 0; i < 3; ++i) {
        std::iota(block.begin(), block.end(), i * 1000);
        writer->Write(block.data(), 1000);
    }
    EXPECT_TRUE(writer->IsError());
    EXPECT_EQ(writer->GetFramesWritten(), 2500);
    EXPECT_NE(writer->ErrorText().find("duración más larga"), std::string::npos);
    writer->Finish();
    std::vector<Sample> expected(2500);
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(ReadList(writer->Kept()), expected);
}

TEST_F(RecordingWriterTest, KeepsFinishedSegmentsAsItGoesAndMovesBackAcrossThem) {
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        auto* writer = new LSNKRecordingWriter(kRate, 2);
        LSoundSinkRef ref(writer);
        std::vector<Sample> model;  // interleaved
        Sample next = 0;
        for (int step = 0; step < 30; ++step) {
            const std::int32_t written = static_cast<std::int32_t>(model.size() / 2);
            if (random() % 4 == 0) {
                const std::int32_t to = static_cast<std::int32_t>(random() % (written + 1));
                writer->Truncate(to);
                model.resize(static_cast<std::size_t>(to) * 2);
            } else {
                const std::int32_t frames = 1 + static_cast<std::int32_t>(random() % 700);
                std::vector<Sample> block;
                for (std::int32_t f = 0; f < 2 * frames; ++f) {
                    block.push_back(++next * 16);
                }
                writer->Write(block.data(), frames);
                model.insert(model.end(), block.begin(), block.end());
            }
            const std::int32_t now = static_cast<std::int32_t>(model.size() / 2);
            ASSERT_EQ(writer->GetFramesWritten(), now);
            if (step % 7 == 3) {
                EXPECT_EQ(RecoveredIfTheEditorDiedNow(), model);
            }
            // Less than a segment waits in the writer; the rest is in finished cuts.
            ASSERT_LE(writer->Kept().GetLength(), now);
            ASSERT_LT(now - writer->Kept().GetLength(), kSegment);
        }
        ASSERT_TRUE(writer->Finish());
        EXPECT_EQ(writer->Kept().GetChannels(), 2);
        EXPECT_EQ(writer->Kept().GetSampleRate(), kRate);
        EXPECT_EQ(ReadList(writer->Kept()), model);
    }
}

// A full disk (a file size limit stands in for it, in a child process so that it stays there)
// keeps what of the segment being written reached its file.
TEST_F(RecordingWriterTest, AFullDiskKeepsWhatReachedTheDisk) {
    std::vector<Sample> samples(static_cast<std::size_t>(kSegment) * 3 / 2);
    std::iota(samples.begin(), samples.end(), 1);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        auto* writer = new LSNKRecordingWriter(kRate, 1);
        LSoundSinkRef ref(writer);
        writer->Write(samples.data(), kSegment);  // the first segment, finished
        // From here no file may pass 300 frames: the second segment's file fills up part way
        // through its first write.
        const rlimit limit{300 * sizeof(Sample), 300 * sizeof(Sample)};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        writer->Write(samples.data() + kSegment, kSegment / 2);
        const std::vector<Sample> kept = ReadList(writer->Kept());
        const bool right =
            writer->IsError() &&
            kept == std::vector<Sample>(samples.begin(), samples.begin() + kSegment + 300);
        ::_exit(right ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(RecordingWriterTest, ASegmentThatCannotBeKeptLosesOnlyItself) {
    auto* writer = new LSNKRecordingWriter(kRate, 1);
    LSoundSinkRef ref(writer);
    std::vector<Sample> samples(static_cast<std::size_t>(kSegment) * 5 / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<Sample>(i) * 16;
    }
    writer->Write(samples.data(), kSegment * 2);
    // The working folder goes away (a file takes its place): the third segment has nowhere to go.
    const std::string folder = CutTank().Folder();
    std::filesystem::rename(folder, folder + ".away");
    std::ofstream(folder) << "in the way";
    writer->Write(samples.data() + kSegment * 2, kSegment / 2);
    EXPECT_TRUE(writer->IsError());
    EXPECT_NE(writer->ErrorText().find("carpeta de trabajo"), std::string::npos);
    EXPECT_FALSE(writer->Finish());
    std::filesystem::remove(folder);
    std::filesystem::rename(folder + ".away", folder);
    samples.resize(static_cast<std::size_t>(kSegment) * 2);
    EXPECT_EQ(ReadList(writer->Kept()), samples);
}

}  // namespace
}  // namespace sonvara
