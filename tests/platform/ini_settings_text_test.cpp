#include "platform/ini_settings_text.h"

#include <gtest/gtest.h>

#include <string>

namespace sonvara {
namespace {

std::string AllBytes() {
    std::string bytes;
    for (int b = 0; b < 256; ++b) {
        bytes += static_cast<char>(b);
    }
    return bytes;
}

TEST(IniSettingsText, WritesSortedSectionsWithEscapes) {
    SettingsContent content;
    SetSettingsValue(content, "Settings", "WorkingFolder", "/home/u/work");
    SetSettingsValue(content, "Player", "VolumeDB", "-6");
    SetSettingsValue(content, "Player", "device", " two\nlines\\ ");
    SetSettingsValue(content, "Odd]", "a=b[c]", "=[x]");
    SetSettingsValue(content, "Odd]", ";note", "#");
    EXPECT_EQ(SerializeIniSettings(content),
              "[Odd\\]]\n"
              "\\;note=#\n"
              "a\\=b\\[c\\]==[x]\n"
              "\n"
              "[Player]\n"
              "device= two\\nlines\\\\ \n"
              "VolumeDB=-6\n"
              "\n"
              "[Settings]\n"
              "WorkingFolder=/home/u/work\n");
}

TEST(IniSettingsText, AwkwardNamesAndValuesComeBackAsWritten) {
    const std::string texts[] = {
        "",    " lead", "trail ", "\t", "a\\b", "\\n", "line1\nline2", "cr\r",  "\r\n",     "=",
        "[x]", "]",     ";c",     "#c", "\\",   "a\\", "x=y=z",        " [S] ", AllBytes(),
    };
    SettingsContent content;
    int n = 0;
    for (const std::string& text : texts) {
        SetSettingsValue(content, "S", "value" + std::to_string(n++), text);
        SetSettingsValue(content, "Names", text, "name" + std::to_string(n));
        SetSettingsValue(content, text, "in", "section" + std::to_string(n));
    }
    const SettingsContent back = ParseIniSettings(SerializeIniSettings(content));
    EXPECT_EQ(back, content);
    EXPECT_EQ(back.at("S").at("value" + std::to_string(n - 1)), AllBytes());
}

TEST(IniSettingsText, ReadingPassesOverWhatItCannotUnderstand) {
    const SettingsContent content = ParseIniSettings(
        "orphan=before any section\n"
        "[Good]\r\n"
        "a=1\r\n"
        "; a comment=no\n"
        "# another=no\n"
        "line without an equals sign\n"
        "\x01\xff\xfe garbage\n"
        "A=2\n"
        "[Broken\n"
        "lost=yes\n"
        "[Next] trailing words\n"
        "b=3");
    SettingsContent expected;
    SetSettingsValue(expected, "Good", "a", "2");  // the later value, the first spelling
    SetSettingsValue(expected, "Next", "b", "3");
    EXPECT_EQ(content, expected);
    EXPECT_EQ(content.at("Good").begin()->first, "a");
}

TEST(IniSettingsText, EscapesAreReadLeniently) {
    const SettingsContent content = ParseIniSettings("[S]\nk=\\q\\\\\\n\\r\\\nend=\\\n");
    EXPECT_EQ(content.at("S").at("k"), "q\\\n\r\\");
    EXPECT_EQ(content.at("S").at("end"), "\\") << "a backslash at the end stands for itself";
}

}  // namespace
}  // namespace sonvara
