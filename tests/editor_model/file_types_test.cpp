// The file types registered for the desktop, checked as the desktop reads them: xdg-mime's answer
// for the default application and desktop-file-validate's for the entry, in a scratch home with a
// glob list of its own.

#include "editor_model/file_types.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "tests/support/scratch_folder.h"

namespace sonvara {
namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream input(path);
    std::ostringstream text;
    text << input.rdbuf();
    return text.str();
}

// The first line a command prints (test code: the arguments are ours).
std::string FirstLine(const std::string& command) {
    std::string line;
    if (FILE* output = ::popen((command + " 2>/dev/null").c_str(), "r")) {
        char buffer[512];
        if (std::fgets(buffer, sizeof buffer, output) != nullptr) {
            line = buffer;
        }
        ::pclose(output);
    }
    while (!line.empty() && line.back() == '\n') {
        line.pop_back();
    }
    return line;
}

const FileTypeChoice* Choice(std::string_view label) {
    for (const FileTypeChoice& choice : FileTypeChoices()) {
        if (choice.label == label) {
            return &choice;
        }
    }
    ADD_FAILURE() << label;
    return nullptr;
}

class FileTypesTest : public ::testing::Test {
  protected:
    FileTypesTest() {
        std::filesystem::create_directories(scratch_.File("system/mime"));
        std::ofstream(scratch_.File("system/mime/globs2")) << "50:audio/x-wav:*.wav\n"
                                                              "50:audio/mpeg:*.mp3\n"
                                                              "50:image/x-panasonic-rw:*.raw\n"
                                                              "50:audio/x-aiff:*.aif\n"
                                                              "50:audio/x-aiff:*.aiff\n";
        std::filesystem::create_directories(scratch_.File("bin"));
        std::filesystem::copy_file("/bin/true", program_);
    }

    std::string DefaultFor(const std::string& type) {
        return FirstLine(std::string(SONVARA_XDG_MIME) + " query default " + type);
    }

    testing::ScratchFolder scratch_;
    testing::ScopedEnv home_{"HOME", scratch_.File("home")};
    testing::ScopedEnv data_{"XDG_DATA_HOME", scratch_.File("data")};
    testing::ScopedEnv config_{"XDG_CONFIG_HOME", scratch_.File("config")};
    testing::ScopedEnv data_dirs_{"XDG_DATA_DIRS", scratch_.File("system")};
    testing::ScopedEnv config_dirs_{"XDG_CONFIG_DIRS", scratch_.File("etc")};
    testing::ScopedEnv desktop_{"XDG_CURRENT_DESKTOP", ""};
    const std::string program_ = scratch_.File("bin/sonvara");
};

TEST_F(FileTypesTest, CheckedTypesBecomeTheDefaultsAndAnUncheckedOneStays) {
    const std::vector<const FileTypeChoice*> checked = {Choice("wav"), Choice("mp3"), Choice("raw"),
                                                        Choice("aif")};
    std::string error;
    ASSERT_TRUE(RegisterFileTypes(checked, program_, error)) << error;
    for (const char* type : {"audio/x-wav", "audio/mpeg", "audio/x-aiff"}) {
        EXPECT_EQ(DefaultFor(type), kDesktopId) << type;
    }
    // ".raw" is a camera's picture in this database: not the editor's.
    EXPECT_NE(DefaultFor("image/x-panasonic-rw"), kDesktopId);
    const std::string entry = scratch_.File("data/applications/sonvara.desktop");
    EXPECT_EQ(std::system((std::string(SONVARA_DESKTOP_FILE_VALIDATE) + " " + entry).c_str()), 0);
    EXPECT_NE(ReadAll(entry).find("Exec=" + program_ + " %F\n"), std::string::npos);

    // "mp3" unchecked: its registration stays.
    const std::vector<const FileTypeChoice*> wav_only = {Choice("wav")};
    ASSERT_TRUE(RegisterFileTypes(wav_only, program_, error)) << error;
    EXPECT_EQ(DefaultFor("audio/mpeg"), kDesktopId);
}

TEST_F(FileTypesTest, NothingIsWrittenWhenNoCheckedTypeIsKnown) {
    const std::vector<const FileTypeChoice*> checked = {Choice("raw"), Choice("vox"),
                                                        Choice("dss")};
    std::string error;
    EXPECT_TRUE(RegisterFileTypes(checked, program_, error));
    EXPECT_EQ(error, "");
    EXPECT_FALSE(std::filesystem::exists(scratch_.File("data/applications")));
    EXPECT_FALSE(std::filesystem::exists(scratch_.File("config/mimeapps.list")));
}

TEST(FileTypesInstallTest, TheInstalledEntryIsTheOneTheEditorWrites) {
    EXPECT_EQ(ReadAll(std::string(SONVARA_SOURCE_DIR) + "/app/desktop/sonvara.desktop"),
              EditorDesktopEntry("sonvara"));
}

}  // namespace
}  // namespace sonvara
