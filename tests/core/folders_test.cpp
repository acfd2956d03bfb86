#include "core/folders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>
#include <string>

#include "core/settings.h"
#include "tests/support/scratch_folder.h"

namespace sonvara {
namespace {

// A fresh settings store, a private home and data folder, and umask 0 so that modes show as
// asked for.
class FoldersTest : public ::testing::Test {
  protected:
    FoldersTest() : previous_store_(UseSettingsStore(nullptr)), previous_umask_(::umask(0)) {}
    ~FoldersTest() override {
        ::umask(previous_umask_);
        UseSettingsStore(previous_store_);
    }

    testing::ScratchFolder scratch_;
    testing::ScopedEnv home_{"HOME", scratch_.File("home")};
    testing::ScopedEnv data_home_{"XDG_DATA_HOME", scratch_.File("data")};
    const std::string program_ = scratch_.File("data") + "/Vellumtone/Sonvara";

  private:
    std::shared_ptr<SettingsStore> previous_store_;
    mode_t previous_umask_;
};

// The permission bits of a folder; 0 when there is no such folder.
mode_t FolderMode(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
        return 0;
    }
    return status.st_mode & 07777;
}

TEST_F(FoldersTest, ProgramFolderIsCreatedLevelByLevelAndNotWorldWritable) {
    EXPECT_EQ(GetProgramFolder(), program_);
    EXPECT_EQ(FolderMode(program_), 0755u);
    EXPECT_EQ(FolderMode(scratch_.File("data") + "/Vellumtone"), 0755u);

    for (const char* not_absolute : {"relative/data", ""}) {
        testing::ScopedEnv data_home("XDG_DATA_HOME", not_absolute);
        const std::string in_home = scratch_.File("home") + "/.local/share/Vellumtone/Sonvara";
        EXPECT_EQ(GetProgramFolder(), in_home) << '"' << not_absolute << '"';
        EXPECT_EQ(FolderMode(in_home), 0755u);
    }
}

TEST_F(FoldersTest, NamedFoldersComeFromTheSettingsOrLieBelowTheProgramFolder) {
    EXPECT_EQ(GetFolder(""), program_);
    EXPECT_EQ(GetFolder("Current"), program_ + "/Current");
    EXPECT_EQ(FolderMode(program_ + "/Current"), 0755u) << "the default folder is made on demand";

    WriteString("Folders", "DataFiles", "/srv/data");
    WriteString("Folders", "ProgramFiles", "");
    EXPECT_EQ(GetFolder(""), "/srv/data");
    EXPECT_EQ(GetFolder("ProgramFiles"), program_ + "/ProgramFiles") << "empty means not set";
}

TEST_F(FoldersTest, WorkingFolderDefaultsToTheCurrentFolder) {
    WriteString("Settings", "WorkingFolder", scratch_.File("work"));
    EXPECT_EQ(GetWorkingFolder(), scratch_.File("work"));
    EXPECT_EQ(FolderMode(program_ + "/Current"), 0u) << "the unused default was made";

    UseSettingsStore(nullptr);  // nothing set
    EXPECT_EQ(GetWorkingFolder(), program_ + "/Current");
    WriteString("Folders", "Current", scratch_.File("current"));
    EXPECT_EQ(GetWorkingFolder(), scratch_.File("current"));
}

}  // namespace
}  // namespace sonvara
