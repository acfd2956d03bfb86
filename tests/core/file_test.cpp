#include "core/file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/captured_diagnostics.h"
#include "tests/support/scratch_folder.h"

namespace sonvara {
namespace {

bool IsOpenDescriptor(int descriptor) {
    return ::fcntl(descriptor, F_GETFD) != -1;
}

TEST(LFile, ReadsWritesSeeksAndEndsAtTheCurrentOffset) {
    testing::ScratchFolder scratch;
    LFile file;
    ASSERT_TRUE(file.Open(scratch.File("a.bin"), FileAccess::kReadWrite, FileSharing::kNone,
                          FileDisposition::kCreateAlways));
    EXPECT_NE(::fcntl(file.Descriptor(), F_GETFD) & FD_CLOEXEC, 0) << "children would inherit it";
    ASSERT_EQ(file.Write("0123456789", 10), 10u);
    EXPECT_EQ(file.Tell(), 10);
    ASSERT_TRUE(file.Seek(3));
    char got[100] = {};
    EXPECT_EQ(file.Read(got, 4), 4u);
    EXPECT_EQ(std::string(got, 4), "3456");
    EXPECT_EQ(file.Read(got, sizeof got), 3u) << "a read past the end returns what there was";
    EXPECT_EQ(file.Read(got, sizeof got), 0u);

    ASSERT_TRUE(file.Seek(4));
    ASSERT_TRUE(file.SetEnd());
    EXPECT_EQ(file.GetFileSizeBytes(), 4);
    ASSERT_TRUE(file.Seek(6));
    ASSERT_TRUE(file.SetEnd());
    ASSERT_TRUE(file.Seek(0));
    EXPECT_EQ(file.Read(got, sizeof got), 6u);
    EXPECT_EQ(std::string(got, 6), std::string("0123\0\0", 6));

    // Cut files pass 4 GiB: offsets must not be cut to 32 bits (the file stays sparse).
    const std::int64_t far = (std::int64_t{5} << 30) + 7;
    ASSERT_TRUE(file.Seek(far));
    EXPECT_EQ(file.Tell(), far);
    ASSERT_EQ(file.Write("x", 1), 1u);
    EXPECT_EQ(file.GetFileSizeBytes(), far + 1);
    ASSERT_TRUE(file.Seek(far));
    EXPECT_EQ(file.Read(got, 2), 1u);
    EXPECT_EQ(got[0], 'x');
}

TEST(LFile, DispositionsCreateOpenAndEmptyAsNamed) {
    testing::ScratchFolder scratch;
    const std::string path = scratch.File("d.txt");
    const std::string missing = scratch.File("missing.txt");
    LFile file;
    auto open = [&file](const std::string& where, FileAccess access, FileDisposition disposition) {
        return file.Open(where, access, FileSharing::kReadWrite, disposition);
    };
    EXPECT_FALSE(open(missing, FileAccess::kRead, FileDisposition::kOpenExisting));
    EXPECT_FALSE(open(missing, FileAccess::kWrite, FileDisposition::kTruncateExisting));
    EXPECT_NE(::access(missing.c_str(), F_OK), 0);

    ASSERT_TRUE(open(path, FileAccess::kWrite, FileDisposition::kCreateNew));
    ASSERT_EQ(file.Write("abc", 3), 3u);
    EXPECT_FALSE(open(path, FileAccess::kWrite, FileDisposition::kCreateNew));
    ASSERT_TRUE(open(path, FileAccess::kRead, FileDisposition::kOpenAlways));
    EXPECT_EQ(file.GetFileSizeBytes(), 3) << "open always keeps the content";
    EXPECT_EQ(file.Write("zz", 2), 0u) << "written through a read-only descriptor";
    EXPECT_FALSE(open(path, FileAccess::kRead, FileDisposition::kTruncateExisting));

    ASSERT_TRUE(open(path, FileAccess::kWrite, FileDisposition::kTruncateExisting));
    EXPECT_EQ(file.GetFileSizeBytes(), 0);
    char byte;
    EXPECT_EQ(file.Read(&byte, 1), 0u) << "read through a write-only descriptor";
    ASSERT_EQ(file.Write("defg", 4), 4u);
    ASSERT_TRUE(open(path, FileAccess::kReadWrite, FileDisposition::kCreateAlways));
    EXPECT_EQ(file.GetFileSizeBytes(), 0);
    ASSERT_TRUE(open(missing, FileAccess::kWrite, FileDisposition::kOpenAlways));
    EXPECT_EQ(::access(missing.c_str(), F_OK), 0);
}

TEST(LFile, AnInvalidFileMovesNothingAndSeekReportsIt) {
    testing::CapturedDiagnostics diagnostics;
    LFile file;
    char buffer[4] = {};
    EXPECT_EQ(file.Read(buffer, 4), 0u);
    EXPECT_EQ(file.Write(buffer, 4), 0u);
    EXPECT_EQ(file.Tell(), 0);
    EXPECT_EQ(file.GetFileSizeBytes(), 0);
    EXPECT_FALSE(file.SetEnd());
    EXPECT_FALSE(file.Seek(10));
    EXPECT_EQ(diagnostics.Texts(),
              std::vector<std::string>{"LFile::Seek Called on an invalid file"});
}

TEST(LFile, OwnershipMovesReleasesAndAdopts) {
    testing::ScratchFolder scratch;
    LFile first;
    ASSERT_TRUE(first.Open(scratch.File("o.txt"), FileAccess::kReadWrite, FileSharing::kNone,
                           FileDisposition::kCreateAlways));
    LFile second;
    second = std::move(first);
    EXPECT_FALSE(first.IsValid());  // NOLINT(bugprone-use-after-move): the giver is left invalid
    EXPECT_EQ(second.Write("hi", 2), 2u);

    int released = -1;
    {
        LFile holder(std::move(second));
        released = holder.Release();
        EXPECT_FALSE(holder.IsValid());
    }
    ASSERT_TRUE(IsOpenDescriptor(released)) << "a released descriptor was closed";
    LFile adopter;
    adopter.Adopt(released);
    EXPECT_EQ(adopter.Tell(), 2);
    adopter.Adopt(-1);
    EXPECT_FALSE(IsOpenDescriptor(released)) << "adopting must close the file held before";
}

TEST(LFile, ReadAndWriteCarryOnOverPartialTransfers) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    LFile reader(ends[0]);
    LFile writer(ends[1]);
    // More than a pipe holds, so both sides see short transfers.
    std::vector<unsigned char> sent(300000);
    for (std::size_t i = 0; i < sent.size(); ++i) {
        sent[i] = static_cast<unsigned char>(i * 7 + 3);
    }
    std::size_t written = 0;
    std::thread feeder([&] {
        written = writer.Write(sent.data(), sent.size());
        writer.Close();
    });
    std::vector<unsigned char> got(sent.size() + 10);
    const std::size_t read = reader.Read(got.data(), got.size());
    feeder.join();
    EXPECT_EQ(written, sent.size());
    ASSERT_EQ(read, sent.size());
    got.resize(read);
    EXPECT_EQ(got, sent);
}

}  // namespace
}  // namespace sonvara
