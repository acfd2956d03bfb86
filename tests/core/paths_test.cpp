#include "core/paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "tests/support/scratch_folder.h"

namespace sonvara {
namespace {

TEST(Paths, NewExtensionReplacesOnlyTheFileNamesExtension) {
    struct Case {
        const char* path;
        const char* expected;
    };
    for (const Case& c : {
             Case{"C:\\a.b\\song", "C:\\a.b\\song"},  // the dot belongs to a folder
             Case{"C:\\a\\song.mp3", "C:\\a\\song.wav"},
             Case{".mp3", ".mp3"},  // a dot at the very start does not count
             Case{"/home/u/take.1.mp3", "/home/u/take.1.wav"},
             Case{"/x.y/z", "/x.y/z"},
             Case{"C:/mixed\\dir.d/song.aiff", "C:/mixed\\dir.d/song.wav"},
             Case{"song.", "song.wav"},
             Case{"noext", "noext"},
             Case{"", ""},
         }) {
        EXPECT_EQ(ApplyNewFileExtension(c.path, ".wav"), c.expected) << c.path;
    }
    const std::string long_path = "/" + std::string(400, 'a') + ".mp3";
    EXPECT_EQ(ApplyNewFileExtension(long_path, ".wav"), "/" + std::string(400, 'a') + ".wav")
        << "paths in memory are never cut";
}

TEST(Paths, FolderFileAndExtensionSplitAtEitherSeparator) {
    struct Case {
        const char* path;
        const char* folder;
        const char* file;
        const char* extension;
        const char* stem;
    };
    for (const Case& c : {
             Case{"song.wav", "", "song.wav", ".wav", "song"},
             Case{"C:/x/y.wav", "C:/x", "y.wav", ".wav", "y"},
             Case{"C:\\x\\y.tar.gz", "C:\\x", "y.tar.gz", ".gz", "y.tar"},
             Case{"a\\b/c", "a\\b", "c", "", "c"},
             Case{"C:\\", "C:", "", "", ""},
             Case{"/song", "", "song", "", "song"},
             Case{"dir.d/file", "dir.d", "file", "", "file"},
             Case{".mp3", "", ".mp3", "", ".mp3"},
             // The extension's first-position rule looks at the path, the stem's at the name.
             Case{"/x/.hidden", "/x", ".hidden", ".hidden", ".hidden"},
             Case{"", "", "", "", ""},
         }) {
        EXPECT_EQ(GetFolderFromPath(c.path), c.folder) << c.path;
        EXPECT_EQ(GetFileFromPath(c.path), c.file) << c.path;
        EXPECT_EQ(GetFileExtension(c.path), c.extension) << c.path;
        EXPECT_EQ(GetFileNameWithoutExtension(c.path), c.stem) << c.path;
    }
}

TEST(Paths, CatAddsASeparatorOnlyWhenOneIsMissing) {
    EXPECT_EQ(FilePathCat("C:\\", "x"), "C:\\x");
    EXPECT_EQ(FilePathCat("/tmp/", "x"), "/tmp/x");
    EXPECT_EQ(FilePathCat("", "x"), "x");
    EXPECT_EQ(FilePathCat("/tmp", "x"), "/tmp/x");
    EXPECT_EQ(FilePathCat("C:\\dir", "x"), "C:\\dir/x");
    EXPECT_EQ(FilePathCat("/tmp", "take", ".wav"), "/tmp/take.wav");
    EXPECT_EQ(FilePathCat("", "take", ".wav"), "take.wav");
}

TEST(Paths, FitsPathFieldAllows259BytesWithoutZeros) {
    EXPECT_TRUE(FitsPathField(std::string(kMaxPathField, 'a')));
    EXPECT_FALSE(FitsPathField(std::string(kMaxPathField + 1, 'a')));
    EXPECT_FALSE(FitsPathField(std::string("a\0b", 3)));
}

TEST(Paths, LongFilePathResolvesExistingPathsAndKeepsOthers) {
    testing::ScratchFolder scratch;
    const std::string real = GetLongFilePath(scratch.Path());
    ASSERT_EQ(::mkdir((real + "/sub").c_str(), 0755), 0);
    ASSERT_EQ(::symlink((real + "/sub").c_str(), (real + "/link").c_str()), 0);
    EXPECT_EQ(GetLongFilePath(real + "/link/../sub/."), real + "/sub");
    EXPECT_EQ(GetLongFilePath(real + "/nothing/here"), real + "/nothing/here");
}

TEST(Paths, DeleteFolderAndFilesRemovesPlainFilesOnly) {
    testing::ScratchFolder scratch;
    auto make = [](const std::string& path) { std::ofstream(path) << "x"; };

    const std::string flat = scratch.File("flat");
    ASSERT_EQ(::mkdir(flat.c_str(), 0755), 0);
    make(flat + "/1.aud");
    make(flat + "/2.grf");
    ASSERT_EQ(::symlink("/nonexistent", (flat + "/dangling").c_str()), 0);
    EXPECT_TRUE(DeleteFolderAndFiles(flat));
    EXPECT_NE(::access(flat.c_str(), F_OK), 0);

    const std::string nested = scratch.File("nested");
    ASSERT_EQ(::mkdir(nested.c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((nested + "/sub").c_str(), 0755), 0);
    make(nested + "/sub/keep.txt");
    make(nested + "/top.txt");
    EXPECT_FALSE(DeleteFolderAndFiles(nested));
    EXPECT_EQ(::access((nested + "/sub/keep.txt").c_str(), F_OK), 0) << "descended into sub/";
    EXPECT_NE(::access((nested + "/top.txt").c_str(), F_OK), 0);

    const std::string hidden = scratch.File("hidden");
    ASSERT_EQ(::mkdir(hidden.c_str(), 0755), 0);
    make(hidden + "/.lock");
    EXPECT_FALSE(DeleteFolderAndFiles(hidden));
    EXPECT_EQ(::access((hidden + "/.lock").c_str(), F_OK), 0);

    EXPECT_FALSE(DeleteFolderAndFiles(scratch.File("missing")));
}

}  // namespace
}  // namespace sonvara
