// The XDG side of file-type registration: the MIME types the database's glob lists give an
// extension, an Exec program that desktop-file-validate accepts for any path, and the edit of a
// mimeapps.list against a model of its groups.

#include "platform/desktop_registration.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "tests/support/scratch_folder.h"

namespace sonvara {
namespace {

void WriteFile(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path) << text;
}

// The exit status of a shell command line (test code: the arguments are ours).
int RunCommand(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str());
}

// Each group's name with its "key=value" lines in order; blank lines and comments left out.
using Groups = std::map<std::string, std::vector<std::string>>;
Groups ParseGroups(const std::string& text) {
    Groups groups;
    std::string group;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (line.front() == '[') {
            group = line;
            groups[group];
        } else {
            groups[group].push_back(line);
        }
    }
    return groups;
}

TEST(DesktopRegistrationTest, MimeTypesComeFromTheGlobListsInTheirOrder) {
    testing::ScratchFolder scratch;
    testing::ScopedEnv home("XDG_DATA_HOME", scratch.File("home"));
    testing::ScopedEnv dirs("XDG_DATA_DIRS", scratch.File("local") + ":" + scratch.File("system"));
    WriteFile(scratch.File("home/mime/globs2"),
              "# user's own\n"
              "60:audio/x-mine:*.WAV\n"
              "50:audio/x-dropped:__NOGLOBS__\n");
    WriteFile(scratch.File("local/mime/globs2"), "50:audio/x-exact:*.Au:cs\n");
    WriteFile(scratch.File("system/mime/globs2"),
              "50:audio/x-wav:*.wav\n"
              "50:audio/x-mine:*.wav\n"
              "50:audio/x-dropped:*.wav\n"
              "50:audio/x-wavpack:*.wavpack\n"
              "40:audio/basic:*.au\n"
              "broken line\n");

    EXPECT_EQ(MimeTypesOfExtension("wav"),
              (std::vector<std::string>{"audio/x-mine", "audio/x-wav"}));
    EXPECT_EQ(MimeTypesOfExtension("WaV"),
              (std::vector<std::string>{"audio/x-mine", "audio/x-wav"}));
    // A case-sensitive glob matches its own spelling only.
    EXPECT_EQ(MimeTypesOfExtension("au"), (std::vector<std::string>{"audio/basic"}));
    EXPECT_EQ(MimeTypesOfExtension("Au"),
              (std::vector<std::string>{"audio/x-exact", "audio/basic"}));
    EXPECT_TRUE(MimeTypesOfExtension("vox").empty());
}

TEST(DesktopRegistrationTest, AnyProgramPathMakesAnExecTheValidatorAccepts) {
    testing::ScratchFolder scratch;
    const std::vector<std::pair<std::string, std::string>> paths = {
        {"/usr/lib/sonvara/sonvara", "/usr/lib/sonvara/sonvara"},
        {"/opt/my editor/100%/sonvara", "\"/opt/my editor/100%%/sonvara\""},
        {"/tmp/a\"b$c`d\\e/sonvara", "\"/tmp/a\\\\\"b\\\\$c\\\\`d\\\\\\\\e/sonvara\""},
    };
    for (const auto& [path, expected] : paths) {
        const std::string exec = DesktopExecProgram(path);
        EXPECT_EQ(exec, expected) << path;
        const std::string entry = scratch.File("t.desktop");
        WriteFile(entry, "[Desktop Entry]\nType=Application\nName=T\nExec=" + exec + " %F\n");
        EXPECT_EQ(RunCommand(std::string(SONVARA_DESKTOP_FILE_VALIDATE) + " " + entry), 0) << exec;
    }
    EXPECT_EQ(DesktopExecProgram("/tmp/line\nbreak"), "");
}

TEST(DesktopRegistrationTest, DefaultsPutTheProgramFirstAndKeepEverythingElse) {
    const std::string before =
        "# my associations\n"
        "[Added Associations]\n"
        "audio/x-wav=other.desktop;\n"
        "\n"
        "[Default Applications]\n"
        "audio/x-wav=other.desktop;sonvara.desktop;third.desktop\n"
        "text/plain=gedit.desktop;\n"
        "\n"
        "[Removed Associations]\n"
        "audio/mpeg=bad.desktop;";
    const std::vector<std::string> types = {"audio/x-wav", "audio/mpeg"};
    const std::string after = WithDefaultApplication(before, types, "sonvara.desktop");

    Groups expected = ParseGroups(before);
    expected["[Default Applications]"] = {
        "audio/x-wav=sonvara.desktop;other.desktop;third.desktop;",
        "text/plain=gedit.desktop;",
        "audio/mpeg=sonvara.desktop;",
    };
    EXPECT_EQ(ParseGroups(after), expected);
    EXPECT_EQ(after.substr(0, after.find("[Default")),
              before.substr(0, before.find("[Default")));  // comments and blanks as they were
    EXPECT_EQ(WithDefaultApplication(after, types, "sonvara.desktop"), after);

    // A list without the group gets it at its end.
    EXPECT_EQ(WithDefaultApplication("[Added Associations]\na/b=x.desktop;\n", {types.data(), 1},
                                     "sonvara.desktop"),
              "[Added Associations]\na/b=x.desktop;\n\n[Default Applications]\n"
              "audio/x-wav=sonvara.desktop;\n");
    EXPECT_EQ(WithDefaultApplication("", {types.data(), 1}, "sonvara.desktop"),
              "[Default Applications]\naudio/x-wav=sonvara.desktop;\n");
}

TEST(DesktopRegistrationTest, AListThatCannotBeReadIsLeftAlone) {
    testing::ScratchFolder scratch;
    testing::ScopedEnv config("XDG_CONFIG_HOME", scratch.File("config"));
    // A folder where the list should be: it can be neither read nor replaced.
    std::filesystem::create_directories(scratch.File("config/mimeapps.list"));
    const std::vector<std::string> types = {"audio/x-wav"};
    std::string error;
    EXPECT_FALSE(SetUserDefaultApplication(types, "sonvara.desktop", error));
    EXPECT_NE(error.find(scratch.File("config/mimeapps.list")), std::string::npos) << error;
    EXPECT_TRUE(std::filesystem::is_empty(scratch.File("config/mimeapps.list")));
}

}  // namespace
}  // namespace sonvara
