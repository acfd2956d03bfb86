#include "core/background_writer.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <fstream>
#include <random>
#include <vector>

#include "tests/support/scratch_folder.h"

namespace sonvara {
namespace {

std::vector<std::uint8_t> Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

constexpr std::size_t kBuffer = LBackgroundWriter::kBufferBytes;

// Pieces of every size (empty, a few bytes, a buffer and a half) against the bytes they should
// leave, with a step back after a Flush that later pieces overwrite from, as the cut writer does.
TEST(LBackgroundWriter, WritesEveryPieceInOrderAndGivesBackItsReserve) {
    testing::ScratchFolder scratch;
    const std::string path = scratch.File("out.bin");
    LFile file;
    ASSERT_TRUE(file.Open(path, FileAccess::kReadWrite, FileSharing::kNone,
                          FileDisposition::kCreateAlways));
    std::vector<std::uint8_t> model;
    std::size_t position = 0;
    std::mt19937 random(4);
    {
        LBackgroundWriter writer(file);
        for (int piece = 0; piece < 60; ++piece) {
            const std::size_t size = piece % 7 == 0 ? kBuffer + kBuffer / 2 : random() % 100000;
            std::vector<std::uint8_t> bytes(size);
            for (std::uint8_t& byte : bytes) {
                byte = static_cast<std::uint8_t>(random());
            }
            ASSERT_TRUE(writer.Write(bytes.data(), size));
            model.resize(std::max(model.size(), position + size));
            std::copy(bytes.begin(), bytes.end(), model.begin() + static_cast<long>(position));
            position += size;
            if (piece == 40) {
                ASSERT_TRUE(writer.Flush());
                EXPECT_EQ(Bytes(path), model);
                position -= 3 * kBuffer;
                ASSERT_TRUE(file.Seek(static_cast<std::int64_t>(position)));
            }
        }
        ASSERT_TRUE(writer.Flush());
    }
    EXPECT_EQ(Bytes(path), model);
    // Nothing stays reserved past the end (a block's rounding at most).
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_LE(status.st_blocks * 512, status.st_size + 65536);
}

// A failure in the thread's write reaches the caller at its next call, whether the whole write
// failed (a file open for reading) or part of it (a file size limit standing in for a full disk,
// in a child process so that the limit stays there).
TEST(LBackgroundWriter, AFailedWriteIsReportedLaterAndEndsTheWriting) {
    testing::ScratchFolder scratch;
    const std::vector<std::uint8_t> bytes(kBuffer + 10, 7);
    {
        std::ofstream(scratch.File("read-only.bin")) << "x";
        LFile file;
        ASSERT_TRUE(file.Open(scratch.File("read-only.bin"), FileAccess::kRead, FileSharing::kNone,
                              FileDisposition::kOpenExisting));
        LBackgroundWriter writer(file);
        writer.Write(bytes.data(), bytes.size());  // the first buffer goes to the thread
        EXPECT_FALSE(writer.Flush());
        EXPECT_FALSE(writer.Write(bytes.data(), 1));
        EXPECT_FALSE(writer.Flush());
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{3 * kBuffer / 2, 3 * kBuffer / 2};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        LFile file;
        file.Open(scratch.File("full.bin"), FileAccess::kReadWrite, FileSharing::kNone,
                  FileDisposition::kCreateAlways);
        LBackgroundWriter writer(file);
        bool written = true;
        for (int i = 0; i < 4; ++i) {
            written = writer.Write(bytes.data(), bytes.size()) && written;
        }
        ::_exit(!written && !writer.Flush() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    // And a writer dropped with bytes on their way stops without writing them or hanging.
    LFile file;
    ASSERT_TRUE(file.Open(scratch.File("dropped.bin"), FileAccess::kReadWrite, FileSharing::kNone,
                          FileDisposition::kCreateAlways));
    {
        LBackgroundWriter writer(file);
        writer.Write(bytes.data(), bytes.size());
    }
    EXPECT_LE(file.GetFileSizeBytes(), static_cast<std::int64_t>(kBuffer));
}

}  // namespace
}  // namespace sonvara
