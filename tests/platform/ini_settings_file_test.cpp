#include "platform/ini_settings_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/ini_settings_text.h"
#include "tests/support/file_contents.h"
#include "tests/support/scratch_folder.h"

namespace sonvara {
namespace {

using testing::FileText;

void PutFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(IniSettingsFile, DefaultPathFollowsXdgConfigHome) {
    testing::ScratchFolder scratch;
    testing::ScopedEnv home("HOME", scratch.File("home"));
    {
        testing::ScopedEnv config("XDG_CONFIG_HOME", scratch.File("config"));
        EXPECT_EQ(DefaultSettingsPath(), scratch.File("config") + "/Vellumtone/Sonvara.conf");
    }
    testing::ScopedEnv config("XDG_CONFIG_HOME", "not/absolute");
    EXPECT_EQ(DefaultSettingsPath(), scratch.File("home") + "/.config/Vellumtone/Sonvara.conf");
}

TEST(IniSettingsFile, WritesCreateTheFolderAndEveryValueReadsBack) {
    testing::ScratchFolder scratch;
    const std::string path = scratch.File("config/Vellumtone/Sonvara.conf");
    const std::string awkward[] = {
        "", "  both ends  ", "C:\\Music\\", "two\nlines\r\n", "=[]", std::string("nul\0byte", 8)};
    {
        IniSettingsFile store(path);
        EXPECT_EQ(store.Read("Settings", "WorkingFolder"), std::nullopt);
        for (std::size_t i = 0; i < std::size(awkward); ++i) {
            ASSERT_TRUE(store.Write("StoredValues", "v" + std::to_string(i), awkward[i]));
        }
        ASSERT_TRUE(store.Write("Odd=Section]", "odd[name]=", "x"));
        EXPECT_EQ(store.Read("storedvalues", "V1"), awkward[1]);
    }
    IniSettingsFile reopened(path);
    for (std::size_t i = 0; i < std::size(awkward); ++i) {
        EXPECT_EQ(reopened.Read("StoredValues", "v" + std::to_string(i)), awkward[i]) << i;
    }
    EXPECT_EQ(reopened.Read("Odd=Section]", "odd[name]="), "x");
    EXPECT_EQ(FolderNames(scratch.File("config/Vellumtone")),
              (std::vector<std::string>{"Sonvara.conf", "Sonvara.conf.lock"}))
        << "a temporary file was left behind";
}

TEST(IniSettingsFile, StagedWritesAreSeenAtOnceAndReachTheFileOnlyWhenCommitted) {
    testing::ScratchFolder scratch;
    const std::string path = scratch.File("Sonvara.conf");
    PutFile(path, "[Settings]\nPlayWhenOpen=1\n");
    auto file = std::make_shared<IniSettingsFile>(path);
    StagedSettings staged(file);
    ASSERT_TRUE(staged.Write("Settings", "PlayWhenOpen", "0"));
    ASSERT_TRUE(staged.Write("Folders", "WorkingFolder", "/tmp/w"));
    EXPECT_EQ(staged.Read("settings", "playwhenopen"), "0");
    EXPECT_EQ(FileText(path), "[Settings]\nPlayWhenOpen=1\n");
    ASSERT_TRUE(staged.Commit());
    IniSettingsFile reopened(path);
    EXPECT_EQ(reopened.Read("Settings", "PlayWhenOpen"), "0");
    EXPECT_EQ(reopened.Read("Folders", "WorkingFolder"), "/tmp/w");

    // A file that cannot be written (its folder is a file) takes none of them.
    PutFile(scratch.File("not-a-folder"), "");
    StagedSettings refused(std::make_shared<IniSettingsFile>(scratch.File("not-a-folder/x.conf")));
    ASSERT_TRUE(refused.Write("Settings", "PlayWhenOpen", "0"));
    EXPECT_FALSE(refused.Commit());
}

TEST(IniSettingsFile, DamagedFilesReadAsMissingValuesAndAreNotTouchedByReads) {
    testing::ScratchFolder scratch;
    const std::string path = scratch.File("Sonvara.conf");
    std::string garbage;
    for (int i = 0; i < 4096; ++i) {
        garbage += static_cast<char>((i * 193 + 71) % 256 == '=' ? 0 : (i * 193 + 71) % 256);
    }
    for (const std::string& damaged : {
             garbage,
             std::string("[Player]\nDevice 3\nVolumeDB: -6\n"),
             std::string("Device=3\nVolumeDB=-6\n[Player]\n"),
             std::string("[Player\nDevice=3\n"),
         }) {
        PutFile(path, damaged);
        IniSettingsFile store(path);
        EXPECT_EQ(store.Read("Player", "Device"), std::nullopt);
        EXPECT_EQ(store.Read("Player", "VolumeDB"), std::nullopt);
        EXPECT_EQ(FileText(path), damaged);
    }
    // What can be read around the damage still is.
    PutFile(path, garbage + "\n[Player]\nDevice=3\n" + garbage);
    EXPECT_EQ(IniSettingsFile(path).Read("Player", "Device"), "3");
}

TEST(IniSettingsFile, ChangesMadeBehindTheStoresBackAreSeen) {
    testing::ScratchFolder scratch;
    const std::string path = scratch.File("Sonvara.conf");
    IniSettingsFile store(path);
    IniSettingsFile other_process(path);
    ASSERT_TRUE(store.Write("Player", "Device", "1"));
    EXPECT_EQ(store.Read("Player", "Device"), "1");

    ASSERT_TRUE(other_process.Write("Player", "Device", "2"));
    EXPECT_EQ(store.Read("Player", "Device"), "2");

    // An editor that rewrites the file in place, same size, a second later.
    std::fstream(path, std::ios::in | std::ios::out | std::ios::binary).seekp(0)
        << "[Player]\nDevice=7";
    const timespec later[2] = {{0, UTIME_OMIT}, {std::time(nullptr) + 1, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), later, 0), 0);
    EXPECT_EQ(store.Read("Player", "Device"), "7");

    ASSERT_EQ(::unlink(path.c_str()), 0);
    EXPECT_EQ(store.Read("Player", "Device"), std::nullopt);
}

TEST(IniSettingsFile, WritesFromTwoWritersAtOnceAreAllKept) {
    testing::ScratchFolder scratch;
    const std::string path = scratch.File("conf/Sonvara.conf");
    constexpr int kPerWriter = 200;
    // A store each: only the file lock keeps them apart, as between two processes.
    auto write_many = [&](const std::string& prefix) {
        IniSettingsFile store(path);
        for (int i = 0; i < kPerWriter; ++i) {
            store.Write("Batch", prefix + std::to_string(i), std::to_string(i * 3));
        }
    };
    std::thread first(write_many, "a");
    std::thread second(write_many, "b");
    first.join();
    second.join();

    const SettingsContent content = ParseIniSettings(FileText(path));
    ASSERT_EQ(content.size(), 1u);
    EXPECT_EQ(content.at("Batch").size(), 2u * kPerWriter);
    for (const char* prefix : {"a", "b"}) {
        for (int i = 0; i < kPerWriter; ++i) {
            EXPECT_EQ(content.at("Batch").at(prefix + std::to_string(i)), std::to_string(i * 3));
        }
    }
    EXPECT_EQ(FolderNames(scratch.File("conf")),
              (std::vector<std::string>{"Sonvara.conf", "Sonvara.conf.lock"}));
}

TEST(IniSettingsFile, WritesKeepTheFilesModeAndALinkStaysALink) {
    testing::ScratchFolder scratch;
    const std::string real = scratch.File("dotfiles.conf");
    const std::string link = scratch.File("Sonvara.conf");
    PutFile(real, "[Player]\nDevice=1\n");
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);

    IniSettingsFile store(link);
    ASSERT_TRUE(store.Write("Player", "VolumeDB", "-3"));
    struct stat status {};
    ASSERT_EQ(::lstat(link.c_str(), &status), 0);
    EXPECT_TRUE(S_ISLNK(status.st_mode));
    ASSERT_EQ(::stat(real.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(FileText(real), "[Player]\nDevice=1\nVolumeDB=-3\n");
}

// What can go wrong when an ordinary user's settings file cannot be read.
const char* const kUnreadableFaults[] = {"", "chmod failed", "an unreadable file gave a value",
                                         "the write claims success", "the file was replaced"};

// Makes the file unreadable, reads and writes it, and returns the index of the fault seen.
int UnreadableFileFault(const std::string& path) {
    const std::string before = FileText(path);
    if (::chmod(path.c_str(), 0) != 0) {
        return 1;
    }
    IniSettingsFile store(path);
    const int fault = store.Read("Player", "Device").has_value() ? 2
                      : store.Write("Player", "Device", "2")     ? 3
                                                                 : 0;
    ::chmod(path.c_str(), 0600);
    return fault != 0 ? fault : FileText(path) != before ? 4 : 0;
}

TEST(IniSettingsFile, AFileThatCannotBeReadIsNotReplacedByAWrite) {
    testing::ScratchFolder scratch;
    const std::string path = scratch.File("Sonvara.conf");
    PutFile(path, "[Player]\nDevice=1\n");
    int fault = 0;
    if (::geteuid() != 0) {
        fault = UnreadableFileFault(path);
    } else {
        // Root reads every file, so the check runs in a child that gives up root first.
        constexpr uid_t kNobody = 65534;
        constexpr int kCannotDropRoot = 77;
        ASSERT_EQ(::chmod(scratch.Path().c_str(), 0777), 0);
        ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const bool dropped = ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
            ::_exit(dropped ? UnreadableFileFault(path) : kCannotDropRoot);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        if (WEXITSTATUS(status) == kCannotDropRoot) {
            GTEST_SKIP() << "cannot give up root here";
        }
        fault = WEXITSTATUS(status);
    }
    ASSERT_GE(fault, 0);
    ASSERT_LT(fault, 5);
    EXPECT_EQ(fault, 0) << kUnreadableFaults[fault];
    EXPECT_EQ(FileText(path), "[Player]\nDevice=1\n");
}

}  // namespace
}  // namespace sonvara
